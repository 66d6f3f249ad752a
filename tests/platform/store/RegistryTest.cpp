#include "platform/Registry.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace
{
// Each test works below its own key so that the shared hive files do not couple tests.
class Registry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = L"SOFTWARE\\Test\\" +
                 testsupport::Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_root.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(m_key); }

    LONG SetText(HKEY key, const wchar_t* name, const std::wstring& text)
    {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * 2));
    }
    // The text as a zero-filled caller buffer of `chars` characters sees it.
    std::wstring GetText(HKEY key, const wchar_t* name, DWORD chars = 128, LONG* result = nullptr)
    {
        std::vector<wchar_t> buffer(chars + 1, L'\0');
        DWORD size = chars * 2;
        DWORD type = 0;
        const LONG rc =
            RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (result != nullptr)
            *result = rc;
        return buffer.data();
    }
    HKEY Create(const std::wstring& sub, DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(m_key, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition),
            ERROR_SUCCESS);
        return key;
    }

    std::wstring m_root;
    HKEY m_key = nullptr;
};

// Points the store at another folder for one test.
class StateDirOverride
{
public:
    explicit StateDirOverride(const std::string& folder) { ::setenv("PICTAVO_STATE_DIR", folder.c_str(), 1); }
    StateDirOverride(const StateDirOverride&) = delete;
    StateDirOverride& operator=(const StateDirOverride&) = delete;
    ~StateDirOverride() { ::setenv("PICTAVO_STATE_DIR", (testsupport::TestRoot() + "/state").c_str(), 1); }
};

std::string HivePath()
{
    return platform::RegistryStoreFolder() + "/HKEY_LOCAL_MACHINE.reg";
}
} // namespace

TEST_F(Registry, TextSizesCountTwoBytesPerCharacterWithTerminator)
{
    ASSERT_EQ(SetText(m_key, L"appname", L"Pictavo"), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(m_key, L"appname", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, (7u + 1) * 2);
    EXPECT_EQ(GetText(m_key, L"appname"), L"Pictavo");

    // Exactly (n + 1) * 2 bytes fit; one character less does not, and the buffer stays untouched.
    LONG rc = 0;
    EXPECT_EQ(GetText(m_key, L"appname", 8, &rc), L"Pictavo");
    EXPECT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(GetText(m_key, L"appname", 7, &rc), L"");
    EXPECT_EQ(rc, ERROR_MORE_DATA);
    wchar_t guard[8] = {L'x', L'x', L'x', L'x', L'x', L'x', L'x', L'x'};
    size = 6;
    EXPECT_EQ(RegQueryValueExW(m_key, L"appname", nullptr, nullptr, reinterpret_cast<BYTE*>(guard), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(guard[0], L'x');
}

TEST_F(Registry, NeverWritesMoreThanHalfTheByteCountInCharacters)
{
    // A text written without its terminator gets one when the caller's buffer has room,
    // and nothing is written past size / 2 characters.
    const std::wstring text = L"abcd";
    ASSERT_EQ(RegSetValueExW(m_key, L"raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), 8),
              ERROR_SUCCESS);
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    DWORD size = 8;
    ASSERT_EQ(RegQueryValueExW(m_key, L"raw", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::wstring(buffer, 4), L"abcd");
    EXPECT_EQ(buffer[4], L'#');
    size = 10;
    ASSERT_EQ(RegQueryValueExW(m_key, L"raw", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(buffer[4], L'\0');
    EXPECT_EQ(buffer[5], L'#');
}

TEST_F(Registry, RawTypesAndMissingValues)
{
    const DWORD number = 0xA1B2C3D4;
    ASSERT_EQ(RegSetValueExW(m_key, L"n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_SUCCESS);
    const BYTE blob[] = {0, 1, 0xFF, '\n', '"'};
    ASSERT_EQ(RegSetValueExW(m_key, L"blob", 0, REG_BINARY, blob, sizeof(blob)), ERROR_SUCCESS);
    const DWORD qwordType = REG_QWORD;
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(RegSetValueExW(m_key, nullptr, 0, qwordType, eight, sizeof(eight)), ERROR_SUCCESS);

    DWORD read = 0;
    DWORD size = sizeof(read);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(m_key, L"N", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(read, number);
    BYTE readBlob[16] = {};
    size = sizeof(readBlob);
    ASSERT_EQ(RegQueryValueExW(m_key, L"blob", nullptr, &type, readBlob, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof(blob));
    EXPECT_EQ(std::memcmp(readBlob, blob, sizeof(blob)), 0);
    size = sizeof(readBlob);
    ASSERT_EQ(RegQueryValueExW(m_key, L"", nullptr, &type, readBlob, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, qwordType);
    EXPECT_EQ(size, 8u);

    LONG rc = 0;
    EXPECT_EQ(GetText(m_key, L"missing", 64, &rc), L"");
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(m_key, L"BLOB"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(m_key, L"blob"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, NamesMatchWithoutCaseAndKeepTheirFirstSpelling)
{
    ASSERT_EQ(SetText(m_key, L"MachineId", L"one"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(m_key, L"MACHINEID", L"two"), ERROR_SUCCESS);
    EXPECT_EQ(GetText(m_key, L"machineid"), L"two");
    ASSERT_EQ(SetText(m_key, L"\u00c9t\u00e9", L"summer"), ERROR_SUCCESS);
    EXPECT_EQ(GetText(m_key, L"\u00e9T\u00c9"), L"summer");

    wchar_t name[32];
    DWORD chars = 32;
    ASSERT_EQ(RegEnumValueW(m_key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(name), L"MachineId");

    HKEY child = Create(L"Sub\u0414Key");
    RegCloseKey(child);
    DWORD disposition = 0;
    child = Create(L"SUB\u0434KEY", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(child);
    ASSERT_EQ(RegEnumKeyW(m_key, 0, name, 32), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(name), L"Sub\u0414Key");
    EXPECT_EQ(RegEnumKeyW(m_key, 1, name, 32), ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, EnumeratesSubkeysInOrderAndRefusesShortBuffers)
{
    for (const wchar_t* name : {L"beta", L"Alpha", L"gamma"})
        RegCloseKey(Create(name));
    RegCloseKey(Create(L"Alpha\\Deep\\Deeper")); // grandchildren are not listed
    std::vector<std::wstring> names;
    wchar_t name[16];
    for (DWORD i = 0; RegEnumKeyW(m_key, i, name, 16) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma"}));

    DWORD chars = 5; // "gamma" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyExW(m_key, 2, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    chars = 6;
    EXPECT_EQ(RegEnumKeyExW(m_key, 2, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(chars, 5u);

    DWORD subKeys = 0;
    DWORD maxSubKey = 0;
    DWORD values = 9;
    ASSERT_EQ(RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(maxSubKey, 5u);
    EXPECT_EQ(values, 0u);
}

TEST_F(Registry, DeletingKeysFollowsWindowsRules)
{
    HKEY parent = Create(L"Parent\\Child");
    RegCloseKey(parent);
    EXPECT_EQ(RegDeleteKeyW(m_key, L"Parent"), ERROR_ACCESS_DENIED); // it has a subkey
    EXPECT_EQ(RegDeleteKeyW(m_key, L"Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L""), ERROR_ACCESS_DENIED);

    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m_key, L"parent\\CHILD", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyExW(m_key, L"Parent\\Child", KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(m_key, L"Parent"), ERROR_SUCCESS);

    // The open handle does not bring its key back, not even when a new key of that name appears.
    EXPECT_EQ(SetText(child, L"x", L"y"), ERROR_ACCESS_DENIED); // opened for reading only
    EXPECT_EQ(GetText(child, L"x", 8), L"");
    RegCloseKey(Create(L"Parent\\Child"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(child, L"x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyW(child, 0, nullptr, 0), ERROR_KEY_DELETED);
    RegCloseKey(child);
}

TEST_F(Registry, HandlesAndArgumentsAreChecked)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(m_key, L"absent", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExW(m_key, L"a\\\\b", 0, KEY_READ, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(m_key, std::wstring(256, L'k').c_str(), 0, KEY_READ, &key),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(0x1234), L"x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);

    HKEY reader = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, (m_root + L"\\").c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &reader),
        ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyExW(reader, L"new", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(reader), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(reader), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, HivesAreSeparateAndTheStoreIsReadableText)
{
    ASSERT_EQ(SetText(m_key, L"quote\"and\\back", L"line\nbreak \"q\""), ERROR_SUCCESS);
    HKEY user = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_root.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &user, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(GetText(user, L"quote\"and\\back"), L"");
    RegCloseKey(user);
    EXPECT_EQ(GetText(m_key, L"QUOTE\"AND\\BACK"), L"line\nbreak \"q\"");
    const std::string hive = ReadFile(HivePath());
    EXPECT_NE(hive.find("[SOFTWARE\\Test\\HivesAreSeparateAndTheStoreIsReadableText]"), std::string::npos);
    EXPECT_NE(hive.find("=sz:\"line\\{a}break \\{22}q\\{22}\""), std::string::npos) << hive;
}

TEST(RegistryDamage, GarbageLinesAreSkippedAndTheRestStays)
{
    std::vector<std::string> warnings;
    platform::SetRegistryWarningSink([&](const std::string& message) { warnings.push_back(message); });
    testsupport::TempDir state("damaged-state");
    StateDirOverride stateDir(state.path());
    std::filesystem::create_directories(state.path() + "/registry");
    const std::string path = state.path() + "/registry/HKEY_LOCAL_MACHINE.reg";
    WriteFile(path, std::string("[SOFTWARE\\Pictavo]\n"
                                "\"appname\"=sz:\"Shown\"\n"
                                "\"broken\"=sz:\"no end\n"
                                "\"n\"=dword:12\n"
                                "\x01\xff\xfe binary junk\r\n"
                                "[SOFTWARE\\Bad\\\\Key]\n"
                                "\"lost\"=sz:\"belongs to the bad key\"\n"
                                "[SOFTWARE\\Pictavo\\Sub] id=zz\n"
                                "[SOFTWARE\\Pictavo\\Good] id=0000000000000001\r\n"
                                "\"channel\"=sz:\"guanwan\"\r\n"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pictavo", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    wchar_t text[64] = {};
    DWORD size = sizeof(text) / sizeof(text[0]) * 2;
    ASSERT_EQ(RegQueryValueExW(key, L"appname", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(text), L"Shown");
    EXPECT_EQ(RegQueryValueExW(key, L"broken", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key, L"lost", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    wchar_t name[16];
    ASSERT_EQ(RegEnumKeyW(key, 0, name, 16), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(name), L"Good");
    EXPECT_EQ(warnings.size(), 6u);

    // A change rewrites the hive without the bad lines and keeps the old file for a person.
    const std::wstring value = L"v";
    ASSERT_EQ(RegSetValueExW(key, L"new", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), 4),
              ERROR_SUCCESS);
    EXPECT_NE(ReadFile(path + ".damaged").find("binary junk"), std::string::npos);
    EXPECT_EQ(ReadFile(path).find("junk"), std::string::npos);
    RegCloseKey(key);
    warnings.clear();
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pictavo\\Good", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(warnings.empty());
    platform::SetRegistryWarningSink(nullptr);
}
