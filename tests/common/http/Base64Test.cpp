#include "common/http/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Encode(const std::string& bytes)
{
    return Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

std::string Decode(const std::string& text)
{
    return Base64Decode(text.c_str(), static_cast<int>(text.size()));
}

// Every byte value, in an order that mixes high and low bytes.
std::string AllBytes(size_t length)
{
    std::string bytes;
    for (size_t i = 0; i < length; ++i)
        bytes += static_cast<char>((i * 167 + 13) & 0xFF);
    return bytes;
}
} // namespace

TEST(Base64, EncodesKnownVectorsWithPadding)
{
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(Encode("f"), "Zg==");
    EXPECT_EQ(Encode("fo"), "Zm8=");
    EXPECT_EQ(Encode("foo"), "Zm9v");
    EXPECT_EQ(Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Encode(std::string("\xFB\xFF", 2)), "+/8=");
    EXPECT_EQ(Base64Encode(nullptr, 5), "");
}

TEST(Base64, RoundTripsEveryLengthAndByte)
{
    for (size_t length = 0; length <= 300; ++length)
    {
        const std::string bytes = AllBytes(length);
        const std::string text = Encode(bytes);
        ASSERT_EQ(text.size(), (length + 2) / 3 * 4) << length;
        ASSERT_EQ(Decode(text), bytes) << length;
    }
}

TEST(Base64, SkipsBlanksLineBreaksAndHighBytes)
{
    const std::string bytes = AllBytes(64);
    std::string text = Encode(bytes);
    std::string spread;
    for (size_t i = 0; i < text.size(); ++i)
    {
        spread += text[i];
        if (i % 7 == 3)
            spread += "\r\n";
        if (i % 5 == 1)
            spread += " \t";
        if (i % 11 == 2)
            spread += "\x80\xFF\xE4";
    }
    EXPECT_EQ(Decode(spread), bytes);
    EXPECT_EQ(Decode("Zm9v\nYmFy\n"), "foobar");
}

TEST(Base64, LonePadAfterOneCharacterGivesEmpty)
{
    EXPECT_EQ(Decode("Zm9vY="), "");
    EXPECT_EQ(Decode("Zm9vY=A"), "");
    EXPECT_EQ(Decode("Y="), "");
    // A pad elsewhere in a group is skipped.
    EXPECT_EQ(Decode("Zg=="), "f");
    EXPECT_EQ(Decode("Zm=9v"), "foo");
}

TEST(Base64, StopsAtLengthAndAtZero)
{
    const char text[] = "Zm9vYmFy";
    EXPECT_EQ(Base64Decode(text, 4), "foo");
    EXPECT_EQ(Base64Decode(text, 0), "");
    EXPECT_EQ(Base64Decode(text, -3), "");
    EXPECT_EQ(Base64Decode(nullptr, 8), "");
    const char withZero[] = "Zm9v\0YmFy";
    EXPECT_EQ(Base64Decode(withZero, 9), "foo");
    // A group cut short keeps only the whole bytes.
    EXPECT_EQ(Base64Decode(text, 6), "foob");
    // The pad rule looks only inside the length: "Y=" with "=" outside it is an incomplete group.
    const char cut[] = "Zm9vY==";
    EXPECT_EQ(Base64Decode(cut, 6), "");
}

TEST(Base64, FormBodyPrefixesPayloadUnchanged)
{
    EXPECT_EQ(MakeInfoParam("eyJhIjoxfQ=="), "info=eyJhIjoxfQ==");
    EXPECT_EQ(MakeInfoParam(""), "info=");
    EXPECT_EQ(MakeInfoParam("a+b/c="), "info=a+b/c=");
}
