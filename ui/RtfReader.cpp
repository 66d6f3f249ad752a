#include "ui/RtfReader.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace
{
// Deep enough for any real document; deeper nesting is skipped rather than tracked.
constexpr std::size_t kMaxDepth = 256;
constexpr std::size_t kMaxWordLength = 32;
constexpr wchar_t kReplacement = 0xFFFD;

// Destinations whose content is not document text.
constexpr std::array<std::string_view, 22> kSkippedDestinations = {"fonttbl",
                                                                   "colortbl",
                                                                   "stylesheet",
                                                                   "info",
                                                                   "pict",
                                                                   "object",
                                                                   "header",
                                                                   "footer",
                                                                   "headerl",
                                                                   "headerr",
                                                                   "footerl",
                                                                   "footerr",
                                                                   "themedata",
                                                                   "colorschememapping",
                                                                   "latentstyles",
                                                                   "datastore",
                                                                   "xmlnstbl",
                                                                   "listtable",
                                                                   "listoverridetable",
                                                                   "rsidtbl",
                                                                   "generator",
                                                                   "fldinst"};

bool IsSkippedDestination(const std::string& word)
{
    return std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
           kSkippedDestinations.end();
}

// Code page bytes to text; bytes the code page cannot take are read as Latin-1.
std::wstring Decode(unsigned codePage, const std::string& bytes)
{
    const UINT page = codePage == 936 ? CP_GBK : codePage == 65001 ? CP_UTF8 : 0;
    if (page != 0)
    {
        const int length = static_cast<int>(bytes.size());
        const int count = MultiByteToWideChar(page, 0, bytes.data(), length, nullptr, 0);
        if (count > 0)
        {
            std::wstring text(static_cast<std::size_t>(count), L'\0');
            MultiByteToWideChar(page, 0, bytes.data(), length, text.data(), count);
            return text;
        }
    }
    std::wstring text;
    for (unsigned char byte : bytes)
        text.push_back(static_cast<wchar_t>(byte));
    return text;
}
} // namespace

std::wstring CRtfReader::ToText(const char* data, std::size_t size)
{
    if (data == nullptr)
        return {};
    CRtfReader reader(data, size);
    reader.Run();
    return reader.m_text;
}

void CRtfReader::Run()
{
    while (m_pos < m_size)
    {
        const char ch = m_data[m_pos];
        if (ch == '{')
        {
            ++m_pos;
            OpenGroup();
        }
        else if (ch == '}')
        {
            ++m_pos;
            CloseGroup();
        }
        else if (ch == '\\')
        {
            ReadControl();
        }
        else
        {
            ++m_pos;
            // Line ends in the source are layout of the file, not of the text.
            if (ch != '\r' && ch != '\n')
                PutByte(static_cast<unsigned char>(ch));
        }
    }
    FlushBytes();
}

bool CRtfReader::Skipping() const
{
    return m_untracked > 0 || m_groups.back().skip;
}

void CRtfReader::OpenGroup()
{
    FlushBytes();
    m_fallbackLeft = 0;
    if (m_untracked > 0 || m_groups.size() >= kMaxDepth)
    {
        ++m_untracked;
        return;
    }
    m_groups.push_back(m_groups.back());
}

void CRtfReader::CloseGroup()
{
    FlushBytes();
    m_fallbackLeft = 0;
    m_nextIsIgnorable = false;
    if (m_untracked > 0)
        --m_untracked;
    else if (m_groups.size() > 1)
        m_groups.pop_back();
}

int CRtfReader::HexDigit(std::size_t at) const
{
    if (at >= m_size)
        return -1;
    const char ch = m_data[at];
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

void CRtfReader::ReadControl()
{
    ++m_pos; // the backslash
    if (m_pos >= m_size)
        return;
    const char ch = m_data[m_pos];
    if (std::isalpha(static_cast<unsigned char>(ch)))
    {
        ReadControlWord();
        return;
    }
    ++m_pos;
    switch (ch)
    {
    case '\'': {
        const int high = HexDigit(m_pos);
        const int low = HexDigit(m_pos + 1);
        if (high < 0 || low < 0)
            return;
        m_pos += 2;
        PutByte(static_cast<unsigned char>(high * 16 + low));
        return;
    }
    case '*':
        m_nextIsIgnorable = true;
        return;
    case '~':
        PutText(0x00A0);
        return;
    case '_':
        PutText(L'-');
        return;
    case '\r':
    case '\n':
        PutText(L'\n');
        return;
    case '\\':
    case '{':
    case '}':
        PutByte(static_cast<unsigned char>(ch));
        return;
    default:
        return; // \- optional hyphen, \| and the other symbols show nothing
    }
}

void CRtfReader::ReadControlWord()
{
    std::string word;
    while (m_pos < m_size && std::isalpha(static_cast<unsigned char>(m_data[m_pos])))
    {
        if (word.size() < kMaxWordLength)
            word.push_back(m_data[m_pos]);
        ++m_pos;
    }
    bool negative = false;
    if (m_pos < m_size && m_data[m_pos] == '-')
    {
        negative = true;
        ++m_pos;
    }
    bool hasParam = false;
    long param = 0;
    while (m_pos < m_size && std::isdigit(static_cast<unsigned char>(m_data[m_pos])))
    {
        hasParam = true;
        // Saturates: a parameter out of range is wrong either way, never an overflow.
        param = std::min(param * 10 + (m_data[m_pos] - '0'), 0x7FFFFFFL);
        ++m_pos;
    }
    if (negative)
        param = -param;
    if (m_pos < m_size && m_data[m_pos] == ' ')
        ++m_pos;
    ApplyWord(word, hasParam, param);
}

void CRtfReader::ApplyWord(const std::string& word, bool hasParam, long param)
{
    const bool ignorable = m_nextIsIgnorable;
    m_nextIsIgnorable = false;
    if (ignorable || IsSkippedDestination(word))
    {
        FlushBytes();
        m_groups.back().skip = true;
        return;
    }
    if (word == "bin")
    {
        // Binary data: skipped byte for byte, whatever it holds.
        m_pos += static_cast<std::size_t>(std::clamp<long>(param, 0, static_cast<long>(m_size - m_pos)));
        return;
    }
    if (word == "ansicpg" && hasParam && param > 0)
    {
        FlushBytes();
        m_codePage = static_cast<unsigned>(param);
    }
    else if (word == "uc" && hasParam)
        m_groups.back().ucSkip = static_cast<int>(std::clamp<long>(param, 0, 16));
    else if (word == "u" && hasParam)
        PutUnicode(param);
    else if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row")
        PutText(L'\n');
    else if (word == "tab" || word == "cell")
        PutText(L'\t');
    else if (word == "emdash")
        PutText(0x2014);
    else if (word == "endash")
        PutText(0x2013);
    else if (word == "bullet")
        PutText(0x2022);
    else if (word == "lquote" || word == "rquote")
        PutText(word == "lquote" ? 0x2018 : 0x2019);
    else if (word == "ldblquote" || word == "rdblquote")
        PutText(word == "ldblquote" ? 0x201C : 0x201D);
}

void CRtfReader::PutByte(unsigned char byte)
{
    if (m_fallbackLeft > 0)
    {
        --m_fallbackLeft;
        return;
    }
    if (Skipping())
        return;
    if (byte < 0x80 && m_bytes.empty())
    {
        m_text.push_back(static_cast<wchar_t>(byte));
        return;
    }
    m_bytes.push_back(static_cast<char>(byte));
}

void CRtfReader::FlushBytes()
{
    if (m_bytes.empty())
        return;
    m_text += Decode(m_codePage, m_bytes);
    m_bytes.clear();
}

void CRtfReader::PutText(wchar_t ch)
{
    FlushBytes();
    m_fallbackLeft = 0;
    if (!Skipping())
        m_text.push_back(ch);
}

void CRtfReader::PutUnicode(long value)
{
    FlushBytes();
    const bool skipping = Skipping();
    m_fallbackLeft = m_groups.back().ucSkip;
    if (skipping)
        return;
    // Negative values are the signed form of 16-bit units; anything else out of range is junk.
    if (value < 0)
        value += 0x10000;
    if (value < 0 || value > 0xFFFF)
    {
        m_text.push_back(kReplacement);
        return;
    }
    const auto unit = static_cast<wchar_t>(value);
    if (unit >= 0xD800 && unit <= 0xDBFF)
    {
        m_highSurrogate = unit;
        return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF)
    {
        const bool paired = m_highSurrogate != 0;
        m_text.push_back(
            paired ? static_cast<wchar_t>(0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00))
                   : kReplacement);
        m_highSurrogate = 0;
        return;
    }
    if (m_highSurrogate != 0)
        m_text.push_back(kReplacement);
    m_highSurrogate = 0;
    m_text.push_back(unit);
}
