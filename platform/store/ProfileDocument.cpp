#include "platform/store/ProfileDocument.h"

#include "platform/store/CaseFold.h"

#include "platform/Utf.h"

namespace platform::store
{
namespace
{
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring_view Unquote(std::wstring_view value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// UTF-16LE code units to wide characters; unpaired surrogates are kept as they are so that
// a rewrite gives back the same units.
std::wstring DecodeUtf16(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                               (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit >= 0xDC00 && unit <= 0xDFFF && !out.empty() && out.back() >= 0xD800 && out.back() <= 0xDBFF)
            out.back() = static_cast<wchar_t>(0x10000 + ((out.back() - 0xD800) << 10) + (unit - 0xDC00));
        else
            out += unit;
    }
    return out;
}

void AppendUnit(std::string& out, unsigned unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

std::string EncodeUtf16(std::wstring_view text)
{
    std::string out;
    for (wchar_t c : text)
    {
        auto code = static_cast<std::uint32_t>(c);
        if (code > 0x10FFFF)
            code = 0xFFFD;
        if (code < 0x10000)
        {
            AppendUnit(out, code);
            continue;
        }
        code -= 0x10000;
        AppendUnit(out, 0xD800 + (code >> 10));
        AppendUnit(out, 0xDC00 + (code & 0x3FF));
    }
    return out;
}
} // namespace

ProfileDocument::Parsed ProfileDocument::ParseLine(std::wstring_view text)
{
    Parsed parsed;
    const std::wstring_view trimmed = Trim(text);
    if (trimmed.starts_with(L'['))
    {
        const size_t close = trimmed.find(L']');
        parsed.kind = Kind::Section;
        parsed.name =
            Trim(trimmed.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
        return parsed;
    }
    const size_t equals = text.find(L'=');
    if (trimmed.starts_with(L';') || equals == std::wstring_view::npos)
        return parsed;
    parsed.kind = Kind::Entry;
    parsed.name = Trim(text.substr(0, equals));
    parsed.value = Unquote(Trim(text.substr(equals + 1)));
    parsed.equals = equals;
    return parsed;
}

void ProfileDocument::Load(std::string_view bytes)
{
    m_lines.clear();
    m_utf16 = bytes.starts_with(kUtf16Bom);
    m_bom = m_utf16 || bytes.starts_with(kUtf8Bom);
    if (m_utf16)
        LoadUtf16(bytes.substr(kUtf16Bom.size()));
    else
        LoadUtf8(m_bom ? bytes.substr(kUtf8Bom.size()) : bytes);
    m_crlf = !m_lines.empty() && m_lines.front().cr;
}

void ProfileDocument::LoadUtf8(std::string_view bytes)
{
    while (!bytes.empty())
    {
        const size_t newline = bytes.find('\n');
        Line line;
        line.raw = bytes.substr(0, newline);
        line.terminated = newline != std::string_view::npos;
        line.cr = line.raw.ends_with('\r');
        if (line.cr)
            line.raw.pop_back();
        line.text = FromUtf8(line.raw);
        line.keepRaw = true;
        bytes.remove_prefix(line.terminated ? newline + 1 : bytes.size());
        m_lines.push_back(std::move(line));
    }
}

void ProfileDocument::LoadUtf16(std::string_view bytes)
{
    std::wstring_view text;
    const std::wstring decoded = DecodeUtf16(bytes);
    text = decoded;
    while (!text.empty())
    {
        const size_t newline = text.find(L'\n');
        Line line;
        line.text = text.substr(0, newline);
        line.terminated = newline != std::wstring_view::npos;
        line.cr = line.text.ends_with(L'\r');
        if (line.cr)
            line.text.pop_back();
        m_lines.push_back(std::move(line));
        text.remove_prefix(newline != std::wstring_view::npos ? newline + 1 : text.size());
    }
}

std::string ProfileDocument::Save() const
{
    std::string out;
    if (m_bom)
        out = m_utf16 ? kUtf16Bom : kUtf8Bom;
    auto encode = [this](std::wstring_view text) { return m_utf16 ? EncodeUtf16(text) : ToUtf8(text); };
    for (size_t i = 0; i < m_lines.size(); ++i)
    {
        const Line& line = m_lines[i];
        out += line.keepRaw ? line.raw : encode(line.text);
        out += encode(LineEnding(line, i + 1 == m_lines.size()));
    }
    return out;
}

// A last line without "\n" keeps a "\r" of its own; once another line follows, it gets a whole
// ending, the file's own unless it had begun one.
std::wstring_view ProfileDocument::LineEnding(const Line& line, bool last) const
{
    if (line.terminated)
        return line.cr ? L"\r\n" : L"\n";
    if (last)
        return line.cr ? L"\r" : L"";
    return line.cr || m_crlf ? L"\r\n" : L"\n";
}

std::vector<ProfileDocument::Range> ProfileDocument::SectionRanges(std::wstring_view section) const
{
    std::vector<Range> ranges;
    bool inside = false;
    for (size_t i = 0; i < m_lines.size(); ++i)
    {
        const Parsed parsed = ParseLine(m_lines[i].text);
        if (parsed.kind != Kind::Section)
            continue;
        if (inside)
            ranges.back().end = i;
        inside = EqualNoCase(parsed.name, section);
        if (inside)
            ranges.push_back(Range{i, m_lines.size()});
    }
    return ranges;
}

std::optional<size_t> ProfileDocument::FindEntry(const Range& range, std::wstring_view key) const
{
    for (size_t i = range.header + 1; i < range.end; ++i)
    {
        const Parsed parsed = ParseLine(m_lines[i].text);
        if (parsed.kind == Kind::Entry && EqualNoCase(parsed.name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::wstring> ProfileDocument::Find(std::wstring_view section, std::wstring_view key) const
{
    const auto ranges = SectionRanges(section);
    if (ranges.empty())
        return std::nullopt;
    const auto index = FindEntry(ranges.front(), key);
    if (!index)
        return std::nullopt;
    return ParseLine(m_lines[*index].text).value;
}

std::vector<std::wstring> ProfileDocument::SectionNames() const
{
    std::vector<std::wstring> names;
    for (const Line& line : m_lines)
    {
        Parsed parsed = ParseLine(line.text);
        if (parsed.kind == Kind::Section)
            names.push_back(std::move(parsed.name));
    }
    return names;
}

std::vector<std::wstring> ProfileDocument::KeyNames(std::wstring_view section) const
{
    std::vector<std::wstring> names;
    const auto ranges = SectionRanges(section);
    for (size_t i = ranges.empty() ? m_lines.size() : ranges.front().header + 1;
         !ranges.empty() && i < ranges.front().end; ++i)
    {
        Parsed parsed = ParseLine(m_lines[i].text);
        if (parsed.kind == Kind::Entry)
            names.push_back(std::move(parsed.name));
    }
    return names;
}

ProfileDocument::Line ProfileDocument::NewLine(std::wstring text) const
{
    Line line;
    line.text = std::move(text);
    line.cr = m_crlf;
    return line;
}

bool ProfileDocument::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value)
{
    const auto ranges = SectionRanges(section);
    if (ranges.empty())
    {
        m_lines.push_back(NewLine(L"[" + std::wstring(section) + L"]"));
        m_lines.push_back(NewLine(std::wstring(key) + L"=" + std::wstring(value)));
        return true;
    }
    if (const auto index = FindEntry(ranges.front(), key))
    {
        // Keep the line's own spelling and layout of the name; only the value changes.
        Line& line = m_lines[*index];
        line.text = line.text.substr(0, ParseLine(line.text).equals + 1) + std::wstring(value);
        line.keepRaw = false;
        return true;
    }
    // After the section's last non-blank line, so that a blank line before the next
    // section stays where it is.
    size_t after = ranges.front().header;
    for (size_t i = after + 1; i < ranges.front().end; ++i)
    {
        if (!Trim(m_lines[i].text).empty())
            after = i;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(after + 1),
                   NewLine(std::wstring(key) + L"=" + std::wstring(value)));
    return true;
}

bool ProfileDocument::RemoveKey(std::wstring_view section, std::wstring_view key)
{
    const auto ranges = SectionRanges(section);
    if (ranges.empty())
        return false;
    bool changed = false;
    // Every copy in the section goes, or a later duplicate would show through.
    for (size_t i = ranges.front().end; i-- > ranges.front().header + 1;)
    {
        const Parsed parsed = ParseLine(m_lines[i].text);
        if (parsed.kind == Kind::Entry && EqualNoCase(parsed.name, key))
        {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
            changed = true;
        }
    }
    return changed;
}

bool ProfileDocument::RemoveSection(std::wstring_view section)
{
    const auto ranges = SectionRanges(section);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(it->header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(it->end));
    return !ranges.empty();
}
} // namespace platform::store
