#include "platform/store/RegistryHive.h"

#include "platform/store/CaseFold.h"
#include "platform/store/StoreText.h"

#include "platform/Utf.h"

#include <charconv>
#include <ctime>
#include <sys/random.h>

namespace platform::store
{
namespace
{
constexpr DWORD kSz = 1;
constexpr DWORD kExpandSz = 2;
constexpr DWORD kBinary = 3;
constexpr DWORD kDword = 4;
constexpr DWORD kMultiSz = 7;

constexpr std::string_view kNoTerm = "(noterm)";

struct TextKind
{
    DWORD type;
    std::string_view name;
};
constexpr TextKind kTextKinds[] = {{kSz, "sz"}, {kExpandSz, "expand_sz"}, {kMultiSz, "multi_sz"}};

std::uint64_t NewKeyId()
{
    std::uint64_t id = 0;
    while (id == 0)
    {
        if (::getrandom(&id, sizeof(id), 0) != static_cast<ssize_t>(sizeof(id)))
            id = reinterpret_cast<std::uintptr_t>(&id) ^ static_cast<std::uint64_t>(::time(nullptr));
    }
    return id;
}

template <class T> bool ParseNumber(std::string_view text, T& number, int base)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number, base);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::string Hex(std::uint64_t number, int width)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof(digits), number, 16).ptr;
    std::string text(digits, end);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

std::string QuotedText(std::wstring_view text)
{
    return "\"" + EscapeText(text, L'\\', L"\"") + "\"";
}

// A "..." text at the start of line; the rest follows it.
bool TakeQuoted(std::string_view& line, std::wstring& text)
{
    if (line.empty() || line.front() != '"')
        return false;
    const size_t close = line.find('"', 1);
    if (close == std::string_view::npos)
        return false;
    auto unescaped = UnescapeText(line.substr(1, close - 1), L'\\');
    if (!unescaped)
        return false;
    text = std::move(*unescaped);
    line.remove_prefix(close + 1);
    return true;
}

std::string HexBytes(const std::vector<BYTE>& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i)
        out += (i == 0 ? "" : ",") + Hex(bytes[i], 2);
    return out;
}

bool ParseHexBytes(std::string_view text, std::vector<BYTE>& bytes)
{
    bytes.clear();
    while (!text.empty())
    {
        const size_t comma = text.find(',');
        unsigned byte = 0;
        if (!ParseNumber(text.substr(0, comma), byte, 16) || byte > 0xFF)
            return false;
        bytes.push_back(static_cast<BYTE>(byte));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
        if (text.empty())
            return false;
    }
    return true;
}

std::string ValueData(const RegistryValue& value)
{
    for (const TextKind& kind : kTextKinds)
    {
        if (kind.type != value.type)
            continue;
        const bool terminated = !value.text.empty() && value.text.back() == L'\0';
        const std::wstring_view shown(value.text.data(), value.text.size() - (terminated ? 1 : 0));
        return std::string(kind.name) + (terminated ? "" : std::string(kNoTerm)) + ":" + QuotedText(shown);
    }
    if (value.type == kDword && value.bytes.size() == 4)
    {
        const std::uint32_t number = value.bytes[0] | (value.bytes[1] << 8) | (value.bytes[2] << 16) |
                                     (static_cast<std::uint32_t>(value.bytes[3]) << 24);
        return "dword:" + Hex(number, 8);
    }
    const std::string kind = value.type == kBinary ? "hex" : "hex(" + std::to_string(value.type) + ")";
    return kind + ":" + HexBytes(value.bytes);
}

bool ParseTextData(std::string_view kind, std::string_view payload, RegistryValue& value)
{
    for (const TextKind& textKind : kTextKinds)
    {
        if (!kind.starts_with(textKind.name))
            continue;
        const std::string_view rest = kind.substr(textKind.name.size());
        if (!rest.empty() && rest != kNoTerm)
            continue;
        if (!TakeQuoted(payload, value.text) || !payload.empty())
            return false;
        if (rest.empty())
            value.text += L'\0';
        value.type = textKind.type;
        return true;
    }
    return false;
}

bool ParseRawData(std::string_view kind, std::string_view payload, RegistryValue& value)
{
    if (kind == "dword")
    {
        std::uint32_t number = 0;
        if (payload.size() != 8 || !ParseNumber(payload, number, 16))
            return false;
        value.type = kDword;
        value.bytes = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
                       static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
        return true;
    }
    if (kind == "hex")
        value.type = kBinary;
    else if (!kind.starts_with("hex(") || !kind.ends_with(")") ||
             !ParseNumber(kind.substr(4, kind.size() - 5), value.type, 10))
        return false;
    return ParseHexBytes(payload, value.bytes);
}

std::string KeyPathText(std::wstring_view path)
{
    std::string out;
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos)
            end = path.size();
        out += (start == 0 ? "" : "\\") + EscapeText(path.substr(start, end - start), L'%', L"[]\\");
        start = end + 1;
    }
    return out;
}

bool ParseKeyPath(std::string_view text, std::wstring& path)
{
    path.clear();
    if (text.empty())
        return true;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find('\\', start);
        if (end == std::string_view::npos)
            end = text.size();
        auto component = UnescapeText(text.substr(start, end - start), L'%');
        if (!component || component->empty() || component->size() > 255 ||
            component->find(L'\0') != std::wstring::npos)
            return false;
        path += (start == 0 ? L"" : L"\\") + *component;
        start = end + 1;
    }
    return true;
}
} // namespace

DWORD RegistryValue::WindowsSize() const
{
    return static_cast<DWORD>(RegistryHive::IsTextType(type) ? text.size() * 2 : bytes.size());
}

RegistryValue* RegistryKeyNode::FindValue(std::wstring_view name)
{
    for (RegistryValue& value : values)
    {
        if (EqualNoCase(value.name, name))
            return &value;
    }
    return nullptr;
}

const RegistryValue* RegistryKeyNode::FindValue(std::wstring_view name) const
{
    return const_cast<RegistryKeyNode*>(this)->FindValue(name);
}

RegistryHive::RegistryHive()
{
    m_keys[L""] = RegistryKeyNode{};
}

bool RegistryHive::IsTextType(DWORD type)
{
    return type == kSz || type == kExpandSz || type == kMultiSz;
}

std::wstring_view RegistryHive::LeafName(std::wstring_view path)
{
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

RegistryKeyNode* RegistryHive::Find(std::wstring_view path)
{
    const auto it = m_keys.find(FoldCase(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const RegistryKeyNode* RegistryHive::Find(std::wstring_view path) const
{
    return const_cast<RegistryHive*>(this)->Find(path);
}

RegistryKeyNode& RegistryHive::Create(std::wstring_view path, bool& created)
{
    created = false;
    RegistryKeyNode* node = &m_keys[L""];
    size_t start = 0;
    while (start < path.size())
    {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos)
            end = path.size();
        std::wstring childPath = node->path + (node->path.empty() ? L"" : L"\\");
        childPath += path.substr(start, end - start);
        const std::wstring folded = FoldCase(childPath);
        auto it = m_keys.find(folded);
        created = it == m_keys.end();
        if (created)
            it = m_keys.emplace(folded, RegistryKeyNode{childPath, NewKeyId(), {}}).first;
        node = &it->second;
        start = end + 1;
    }
    return *node;
}

void RegistryHive::Remove(std::wstring_view path)
{
    if (!path.empty())
        m_keys.erase(FoldCase(path));
}

std::vector<const RegistryKeyNode*> RegistryHive::Children(std::wstring_view path) const
{
    const std::wstring prefix = path.empty() ? L"" : FoldCase(path) + L"\\";
    std::vector<const RegistryKeyNode*> children;
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && it->first.starts_with(prefix); ++it)
    {
        const std::wstring_view rest = std::wstring_view(it->first).substr(prefix.size());
        if (!rest.empty() && rest.find(L'\\') == std::wstring_view::npos)
            children.push_back(&it->second);
    }
    return children;
}

void RegistryHive::Parse(std::string_view bytes, std::vector<std::string>& problems)
{
    m_current = &m_keys[L""];
    size_t number = 0;
    while (!bytes.empty())
    {
        ++number;
        const size_t newline = bytes.find('\n');
        std::string_view line = bytes.substr(0, newline);
        bytes.remove_prefix(newline == std::string_view::npos ? bytes.size() : newline + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        const bool ok = line.front() == '[' ? ParseKeyLine(line) : ParseValueLine(line);
        if (!ok)
            problems.push_back("line " + std::to_string(number) +
                               " skipped: " + ToUtf8(FromUtf8(line.substr(0, 200))));
    }
    m_current = nullptr;
}

bool RegistryHive::ParseKeyLine(std::string_view line)
{
    m_current = nullptr; // values after a bad key line must not land in the previous key
    const size_t close = line.find(']');
    std::wstring path;
    if (close == std::string_view::npos || !ParseKeyPath(line.substr(1, close - 1), path))
        return false;
    std::string_view rest = line.substr(close + 1);
    std::uint64_t id = 0;
    if (!rest.empty() && (!rest.starts_with(" id=") || !ParseNumber(rest.substr(4), id, 16)))
        return false;
    bool created = false;
    m_current = &Create(path, created);
    m_current->id = id;
    return true;
}

bool RegistryHive::ParseValueLine(std::string_view line)
{
    if (m_current == nullptr)
        return false;
    RegistryValue value;
    if (line.starts_with('@'))
        line.remove_prefix(1);
    else if (!TakeQuoted(line, value.name) || value.name.empty() || value.name.size() > 16383 ||
             value.name.find(L'\0') != std::wstring::npos) // no caller could ever name it
        return false;
    const size_t colon = line.find(':');
    if (!line.starts_with('=') || colon == std::string_view::npos)
        return false;
    const std::string_view kind = line.substr(1, colon - 1);
    const std::string_view payload = line.substr(colon + 1);
    if (!ParseTextData(kind, payload, value) && !ParseRawData(kind, payload, value))
        return false;
    if (RegistryValue* existing = m_current->FindValue(value.name))
        *existing = std::move(value);
    else
        m_current->values.push_back(std::move(value));
    return true;
}

std::string RegistryHive::Serialize() const
{
    std::string out = "; Registry hive: [key] lines, each followed by its \"name\"=type:data values.\n";
    for (const auto& [folded, node] : m_keys)
    {
        if (node.path.empty() && node.values.empty())
            continue;
        out += "\n[" + KeyPathText(node.path) + "]";
        out += node.id != 0 ? " id=" + Hex(node.id, 16) + "\n" : "\n";
        for (const RegistryValue& value : node.values)
        {
            out += value.name.empty() ? "@" : QuotedText(value.name);
            out += "=" + ValueData(value) + "\n";
        }
    }
    return out;
}
} // namespace platform::store
