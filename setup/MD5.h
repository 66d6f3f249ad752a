#pragma once
// The MD5 message digest (RFC 1321), from which the machine id is made.

#include <cstdint>
#include <string>

class MD5
{
public:
    MD5();
    explicit MD5(const std::string& text);

    void Update(const unsigned char* data, unsigned length);
    // The 16 digest bytes; computed once, later calls return the same bytes and ignore Update.
    const unsigned char* Final();
    // Two hex digits per byte, high nibble first; upper case unless lowerCase.
    std::string HexDigest(bool lowerCase);

private:
    void Transform(const unsigned char block[64]);

    bool m_finalized = false;
    std::uint32_t m_count[2] = {0, 0}; // bits, low word first
    std::uint32_t m_state[4];
    unsigned char m_buffer[64] = {};
    unsigned char m_digest[16] = {};
};
