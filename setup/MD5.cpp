#include "setup/MD5.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace
{
constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

// The sine table: floor(abs(sin(i + 1)) * 2^32).
struct SineTable
{
    std::uint32_t k[64];
    SineTable()
    {
        for (int i = 0; i < 64; ++i)
            k[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
    }
};

std::uint32_t RotateLeft(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

void Encode(unsigned char* out, const std::uint32_t* in, unsigned words)
{
    for (unsigned i = 0; i < words; ++i)
        for (unsigned b = 0; b < 4; ++b)
            out[i * 4 + b] = static_cast<unsigned char>(in[i] >> (8 * b));
}
} // namespace

MD5::MD5() : m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

MD5::MD5(const std::string& text) : MD5()
{
    Update(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
}

void MD5::Transform(const unsigned char block[64])
{
    static const SineTable table;
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = std::uint32_t{block[i * 4]} | (std::uint32_t{block[i * 4 + 1]} << 8) |
               (std::uint32_t{block[i * 4 + 2]} << 16) | (std::uint32_t{block[i * 4 + 3]} << 24);
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i)
    {
        std::uint32_t f;
        int g;
        if (i < 16)
            f = (b & c) | (~b & d), g = i;
        else if (i < 32)
            f = (d & b) | (~d & c), g = (5 * i + 1) % 16;
        else if (i < 48)
            f = b ^ c ^ d, g = (3 * i + 5) % 16;
        else
            f = c ^ (b | ~d), g = (7 * i) % 16;
        const std::uint32_t next = b + RotateLeft(a + f + table.k[i] + m[g], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void MD5::Update(const unsigned char* data, unsigned length)
{
    if (m_finalized || length == 0)
        return;
    unsigned index = (m_count[0] >> 3) & 0x3F;
    const std::uint32_t bits = length << 3;
    m_count[0] += bits;
    if (m_count[0] < bits)
        ++m_count[1];
    m_count[1] += length >> 29;
    unsigned done = 0;
    const unsigned room = 64 - index;
    if (length >= room)
    {
        std::memcpy(m_buffer + index, data, room);
        Transform(m_buffer);
        for (done = room; done + 63 < length; done += 64)
            Transform(data + done);
        index = 0;
    }
    std::memcpy(m_buffer + index, data + done, length - done);
}

const unsigned char* MD5::Final()
{
    if (m_finalized)
        return m_digest;
    unsigned char bits[8];
    Encode(bits, m_count, 2);
    const unsigned index = (m_count[0] >> 3) & 0x3F;
    const unsigned padding = index < 56 ? 56 - index : 120 - index;
    static const unsigned char kPadding[64] = {0x80};
    Update(kPadding, padding);
    Update(bits, 8);
    Encode(m_digest, m_state, 4);
    m_finalized = true;
    return m_digest;
}

std::string MD5::HexDigest(bool lowerCase)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const unsigned char* digest = Final();
    std::string text;
    for (int i = 0; i < 16; ++i)
    {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0F];
    }
    if (lowerCase)
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
