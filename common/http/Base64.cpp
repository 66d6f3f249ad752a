#include "common/http/Base64.h"

#include <array>

namespace
{
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kNotBase64 = -1;

// 6-bit value of each byte, kNotBase64 for everything outside the alphabet (bytes >= 0x80 too).
constexpr std::array<int, 256> MakeDecodeTable()
{
    std::array<int, 256> table{};
    for (int& value : table)
        value = kNotBase64;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}
constexpr std::array<int, 256> kDecode = MakeDecodeTable();

void AppendGroup(std::string& out, unsigned group, int chars)
{
    for (int i = 0; i < 4; ++i)
        out += i < chars ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
}

// Accumulates 6-bit values and emits a byte whenever eight bits are complete.
class GroupDecoder
{
public:
    void Add(int value)
    {
        m_bits = ((m_bits << 6) | static_cast<unsigned>(value)) & 0xFFFFFF;
        m_count += 6;
        if (m_count >= 8)
        {
            m_count -= 8;
            m_out += static_cast<char>((m_bits >> m_count) & 0xFF);
        }
        m_position = (m_position + 1) % 4;
    }
    int Position() const { return m_position; }
    std::string Take() { return std::move(m_out); }

private:
    unsigned m_bits = 0;
    int m_count = 0;
    int m_position = 0;
    std::string m_out;
};

bool IsLonePad(const char* text, int index, int len, int position)
{
    if (position != 1)
        return false;
    return index + 1 >= len || text[index + 1] != '=';
}
} // namespace

std::string Base64Encode(const unsigned char* data, int len)
{
    std::string out;
    if (data == nullptr || len <= 0)
        return out;
    out.reserve((static_cast<size_t>(len) + 2) / 3 * 4);
    int i = 0;
    for (; i + 2 < len; i += 3)
        AppendGroup(out, (unsigned{data[i]} << 16) | (unsigned{data[i + 1]} << 8) | data[i + 2], 4);
    if (len - i == 1)
        AppendGroup(out, unsigned{data[i]} << 16, 2);
    else if (len - i == 2)
        AppendGroup(out, (unsigned{data[i]} << 16) | (unsigned{data[i + 1]} << 8), 3);
    return out;
}

std::string Base64Decode(const char* text, int len)
{
    GroupDecoder decoder;
    if (text == nullptr)
        return {};
    for (int i = 0; i < len && text[i] != '\0'; ++i)
    {
        if (text[i] == '=')
        {
            if (IsLonePad(text, i, len, decoder.Position()))
                return {};
            continue;
        }
        const int value = kDecode[static_cast<unsigned char>(text[i])];
        if (value != kNotBase64)
            decoder.Add(value);
    }
    return decoder.Take();
}

std::string MakeInfoParam(const std::string& payload)
{
    return "info=" + payload;
}
