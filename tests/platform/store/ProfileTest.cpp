#include "platform/Profile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ReadFile;
using testsupport::Wide;
using testsupport::WriteFile;

namespace
{
class Profile : public ::testing::Test
{
protected:
    std::wstring Get(const wchar_t* section, const wchar_t* key, const wchar_t* def = L"", DWORD size = 256,
                     DWORD* returned = nullptr)
    {
        std::wstring buffer(size + 1, L'\0');
        const DWORD count = GetPrivateProfileStringW(section, key, def, buffer.data(), size, m_file.c_str());
        if (returned != nullptr)
            *returned = count;
        return std::wstring(buffer.data(), count);
    }
    void Write(const std::string& text) { WriteFile(m_path, text); }

    testsupport::TempDir m_dir{"profile"};
    std::string m_path = m_dir / "config.ini";
    std::wstring m_file = Wide(m_path);
};
} // namespace

TEST_F(Profile, ReadsWithWindowsRules)
{
    Write("; leading comment\n"
          "[Config]\n"
          "  version_url =  http://example.test/v  \n"
          "quoted=\"  spaced  \"\n"
          "single='x'\n"
          "half=\"open\n"
          "inline=a ; not a comment\n"
          "[MACHINE]\n"
          "MachineId=abc\n"
          "[config]\n"
          "version_url=second section loses\n");
    EXPECT_EQ(Get(L"CONFIG", L"VERSION_URL"), L"http://example.test/v");
    EXPECT_EQ(Get(L"Config", L"quoted"), L"  spaced  ");
    EXPECT_EQ(Get(L"Config", L"single"), L"x");
    EXPECT_EQ(Get(L"Config", L"half"), L"\"open");
    EXPECT_EQ(Get(L"Config", L"inline"), L"a ; not a comment");
    EXPECT_EQ(Get(L"machine", L"machineId"), L"abc");
    EXPECT_EQ(Get(L"Config", L"missing", L"default  \t"), L"default");
    EXPECT_EQ(Get(L"Nowhere", L"x", nullptr), L"");
    EXPECT_EQ(Get(L"Config", L"x", L"d", 256), L"d");
    const std::wstring absent = Wide(m_dir / "absent.ini");
    wchar_t out[8] = {};
    EXPECT_EQ(GetPrivateProfileStringW(L"a", L"b", L"dflt", out, 8, absent.c_str()), 4u);
    EXPECT_EQ(std::wstring(out), L"dflt");
}

TEST_F(Profile, ValuesAndListsAreCutToTheBuffer)
{
    Write("[S]\nkey=0123456789\nk2=v\n[T]\n");
    DWORD count = 0;
    EXPECT_EQ(Get(L"S", L"key", L"", 5, &count), L"0123");
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(Get(L"S", L"nokey", L"defaultvalue", 4, &count), L"def");

    EXPECT_EQ(Get(nullptr, nullptr, L"", 64, &count), std::wstring(L"S\0T\0", 4));
    EXPECT_EQ(Get(L"s", nullptr, L"", 64, &count), std::wstring(L"key\0k2\0", 7));
    // Too small: the list is cut, ends in two NULs and the result is size - 2.
    std::wstring buffer(7, L'#');
    count = GetPrivateProfileStringW(L"S", nullptr, L"", buffer.data(), 7, m_file.c_str());
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(buffer, std::wstring(L"key\0k\0\0", 7));
    EXPECT_EQ(Get(L"T", nullptr, L"", 8, &count), L"");
}

TEST_F(Profile, IntegersTakeTheLeadingNumber)
{
    Write("[CONFIG]\nLogLevel=3\nneg= -12x\nplus=+7\nword=high\nempty=\n");
    EXPECT_EQ(GetPrivateProfileIntW(L"Config", L"loglevel", 1, m_file.c_str()), 3u);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"CONFIG", L"neg", 1, m_file.c_str())), -12);
    EXPECT_EQ(GetPrivateProfileIntW(L"CONFIG", L"plus", 1, m_file.c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileIntW(L"CONFIG", L"word", 5, m_file.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(L"CONFIG", L"empty", 5, m_file.c_str()), 5u);
    EXPECT_EQ(GetPrivateProfileIntW(L"CONFIG", L"missing", 1, m_file.c_str()), 1u);
}

TEST_F(Profile, WritesKeepEverythingElse)
{
    Write("\xEF\xBB\xBF; keep me\r\n[Config]\r\n  Key = old\r\nother=1\r\n\r\n[Next]\r\nx=\xff\xfe raw\r\n");
    ASSERT_TRUE(WritePrivateProfileStringW(L"CONFIG", L"key", L"new", m_file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"config", L"Added", L"2", m_file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Fresh", L"k", L"\u4e2d\u6587", m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path),
              "\xEF\xBB\xBF; keep me\r\n[Config]\r\n  Key =new\r\nother=1\r\nAdded=2\r\n\r\n"
              "[Next]\r\nx=\xff\xfe raw\r\n[Fresh]\r\nk=\xe4\xb8\xad\xe6\x96\x87\r\n");
    EXPECT_EQ(Get(L"fresh", L"K"), L"\u4e2d\u6587");

    ASSERT_TRUE(WritePrivateProfileStringW(L"Config", L"other", nullptr, m_file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"NEXT", nullptr, nullptr, m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path), "\xEF\xBB\xBF; keep me\r\n[Config]\r\n  Key "
                                "=new\r\nAdded=2\r\n\r\n[Fresh]\r\nk=\xe4\xb8\xad\xe6\x96\x87\r\n");

    // A last line cut off after its "\r": the "\r" is the line's ending, never its value's.
    Write("[S]\nbad=\xff\r");
    EXPECT_EQ(Get(L"S", L"bad"), L"\xdcff");
    ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"k", L"v", m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path), "[S]\nbad=\xff\r\nk=v\n");
    // a value that is not UTF-8 (a folder named in another encoding) is written back as it was
    ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"copy", Get(L"S", L"bad").c_str(), m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path), "[S]\nbad=\xff\r\nk=v\ncopy=\xff\n");
}

TEST_F(Profile, DeletesRemoveEveryCopy)
{
    Write("[A]\nk=1\nk=2\n[B]\nx=1\n[a]\nk=3\n");
    ASSERT_TRUE(WritePrivateProfileStringW(L"A", L"K", nullptr, m_file.c_str()));
    EXPECT_EQ(Get(L"A", L"k", L"gone"), L"gone");
    ASSERT_TRUE(WritePrivateProfileStringW(L"a", nullptr, nullptr, m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path), "[B]\nx=1\n");
    // Removing from a file that does not exist does not create it.
    const std::wstring absent = Wide(m_dir / "absent.ini");
    EXPECT_TRUE(WritePrivateProfileStringW(L"A", L"k", nullptr, absent.c_str()));
    EXPECT_FALSE(testsupport::Exists(m_dir / "absent.ini"));
}

TEST_F(Profile, CreatesFilesAndRefusesWhatWouldBreakLines)
{
    ASSERT_TRUE(WritePrivateProfileStringW(L"Config", L"key", L"", m_file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"CONFIG", L"out_dir", L"/home/u/Pictures", m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path), "[Config]\nkey=\nout_dir=/home/u/Pictures\n");
    EXPECT_FALSE(WritePrivateProfileStringW(L"Config", L"key", L"a\n[Config]\nkey=evil", m_file.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(WritePrivateProfileStringW(L"Config", L"k=v", L"x", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Con]fig", L"k", L"x", m_file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringW(L"Config", L";k", L"x", m_file.c_str()));
    EXPECT_EQ(ReadFile(m_path), "[Config]\nkey=\nout_dir=/home/u/Pictures\n");
}

TEST_F(Profile, UnwritableFolderFailsAndKeepsTheFile)
{
    Write("[S]\nk=1\n");
    const std::wstring noFolder = Wide(m_dir / "no/such/folder.ini");
    EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"k", L"2", noFolder.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(::chmod(m_dir.path().c_str(), 0500), 0);
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"k", L"2", m_file.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Get(L"S", L"k"), L"1");
    const std::wstring missing = Wide(m_dir / "new.ini");
    EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"k", L"2", missing.c_str()));
    ::chmod(m_dir.path().c_str(), 0700);
}

TEST_F(Profile, Utf16FilesAreReadAndStayUtf16)
{
    const std::u16string text = u"[Config]\r\nname=\u00e9t\u00e9 \U0001F600\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text)
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    Write(bytes);
    EXPECT_EQ(Get(L"config", L"NAME"), L"\u00e9t\u00e9 \U0001F600");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Config", L"b", L"2", m_file.c_str()));
    const std::string after = ReadFile(m_path);
    EXPECT_EQ(after.substr(0, bytes.size()), bytes);
    EXPECT_EQ(after.substr(bytes.size()), std::string("b\0=\0002\0\r\0\n\0", 10));
}
