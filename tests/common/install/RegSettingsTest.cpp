#include "common/install/RegSettings.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{
int RunRegWriter(const std::string& name, const std::string& text)
{
    return testsupport::RunHelperProgram("common_reg_writer", {name, text});
}

std::wstring ReadValue(CRegSettings& reg, LPCWSTR name, DWORD bytes)
{
    std::vector<wchar_t> buffer(bytes / 2 + 1, L'\0');
    reg.GetValue(name, buffer.data(), bytes);
    return buffer.data();
}

// Removes the product key so each test starts without it.
void DropProductKey()
{
    CRegSettings software(HKEY_LOCAL_MACHINE, L"SOFTWARE", false, true);
    software.RecurseDeleteKey(software.GetKey(), L"Pictavo");
}
} // namespace

class RegSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { DropProductKey(); }
    void TearDown() override { DropProductKey(); }
};

TEST_F(RegSettingsTest, ValuesWrittenByAnotherProcessAreRead)
{
    ASSERT_EQ(RunRegWriter("version_str", "1.2.3.4"), 0);
    ASSERT_EQ(RunRegWriter("appname", "图片转换"), 0);
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, false);
    ASSERT_TRUE(reg.IsOpen());
    EXPECT_EQ(ReadValue(reg, L"version_str", 128), L"1.2.3.4");
    EXPECT_EQ(ReadValue(reg, L"APPNAME", 128), L"图片转换");
    EXPECT_EQ(GetAppName(), L"图片转换");
}

TEST_F(RegSettingsTest, StoresTextWithItsTerminator)
{
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    ASSERT_TRUE(reg.SetValue(L"channel", L"abcde"));
    // (5 + 1) * 2 bytes: a read of 12 bytes fits, one of 10 does not and leaves the buffer.
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(reg.GetKey(), L"channel", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(ReadValue(reg, L"channel", 12), L"abcde");
    wchar_t small[8] = {};
    EXPECT_FALSE(reg.GetValue(L"channel", small, 10));
    EXPECT_EQ(std::wstring(small), L"");
    ASSERT_TRUE(reg.SetValue(L"empty", L""));
    EXPECT_EQ(ReadValue(reg, L"empty", 128), L"");
    wchar_t buffer[8] = {};
    EXPECT_FALSE(reg.GetValue(L"missing", buffer, sizeof(buffer)));
}

TEST_F(RegSettingsTest, OpenWithoutCreateHoldsNoKey)
{
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, false);
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_FALSE(reg.SetValue(L"appname", L"x"));
    wchar_t buffer[8] = {};
    EXPECT_FALSE(reg.GetValue(L"appname", buffer, sizeof(buffer)));
    // A reader that passes create makes the key (empty).
    EXPECT_EQ(GetAppName(), L"Pictavo");
    CRegSettings again(HKEY_LOCAL_MACHINE, kProductRegKey, false, false);
    EXPECT_TRUE(again.IsOpen());
}

TEST_F(RegSettingsTest, AppNameFallsBackWhenEmptyOrTooLong)
{
    EXPECT_EQ(GetAppName(), L"Pictavo");
    ASSERT_EQ(RunRegWriter("appname", ""), 0);
    EXPECT_EQ(GetAppName(), L"Pictavo");
    ASSERT_EQ(RunRegWriter("appname", std::string(63, 'n')), 0);
    EXPECT_EQ(GetAppName(), std::wstring(63, L'n'));
    // 64 characters do not fit the 128-byte read: never a cut or unterminated name.
    ASSERT_EQ(RunRegWriter("appname", std::string(64, 'n')), 0);
    EXPECT_EQ(GetAppName(), L"Pictavo");
}

TEST_F(RegSettingsTest, RecurseDeleteKeyRemovesSubkeys)
{
    {
        CRegSettings deep(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pictavo\\a\\b\\c", false, true);
        ASSERT_TRUE(deep.SetValue(L"v", L"1"));
        CRegSettings side(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pictavo\\d", false, true);
        ASSERT_TRUE(side.SetValue(L"v", L"2"));
    }
    CRegSettings software(HKEY_LOCAL_MACHINE, L"SOFTWARE", false, true);
    EXPECT_EQ(software.RecurseDeleteKey(software.GetKey(), L"Pictavo"), ERROR_SUCCESS);
    CRegSettings gone(HKEY_LOCAL_MACHINE, kProductRegKey, false, false);
    EXPECT_FALSE(gone.IsOpen());
    EXPECT_NE(software.RecurseDeleteKey(software.GetKey(), L"Pictavo"), ERROR_SUCCESS);
    EXPECT_EQ(software.RecurseDeleteKey(nullptr, L"Pictavo"), static_cast<LONG>(ERROR_INVALID_HANDLE));
}
