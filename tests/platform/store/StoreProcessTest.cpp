// Real processes racing on the same profile file and registry key, and a writer killed in the
// middle of rewriting a large file.
#include "platform/Profile.h"
#include "platform/Registry.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <thread>
#include <vector>

using testsupport::Wide;

namespace
{
std::wstring ProfileValue(const std::wstring& file, const std::wstring& key)
{
    wchar_t buffer[512] = {};
    GetPrivateProfileStringW(L"Race", key.c_str(), L"<missing>", buffer, 512, file.c_str());
    return buffer;
}

constexpr int kWrites = 120;
} // namespace

TEST(StoreProcesses, ConcurrentProfileWritersLoseNothing)
{
    testsupport::TempDir dir("race");
    const std::string path = dir / "config.ini";
    testsupport::WriteFile(path, "; shared\n[Race]\nkeep=me\n");
    testsupport::ChildProcess first;
    testsupport::ChildProcess second;
    ASSERT_TRUE(first.Start("store_writer", {"profile", path, "a", std::to_string(kWrites)}));
    ASSERT_TRUE(second.Start("store_writer", {"profile", path, "b", std::to_string(kWrites)}));
    EXPECT_EQ(testsupport::ExitCode(first.Wait()), 0);
    EXPECT_EQ(testsupport::ExitCode(second.Wait()), 0);

    const std::wstring file = Wide(path);
    EXPECT_EQ(ProfileValue(file, L"keep"), L"me");
    for (int i = 0; i < kWrites; ++i)
    {
        EXPECT_EQ(ProfileValue(file, L"a" + std::to_wstring(i)), L"v" + std::to_wstring(i));
        EXPECT_EQ(ProfileValue(file, L"B" + std::to_wstring(i)), L"v" + std::to_wstring(i));
    }
}

TEST(StoreProcesses, ConcurrentRegistryWritersLoseNothingAndAreSeenHere)
{
    testsupport::ChildProcess first;
    testsupport::ChildProcess second;
    ASSERT_TRUE(first.Start("store_writer", {"registry", "SOFTWARE\\Race", "a", std::to_string(kWrites)}));
    ASSERT_TRUE(second.Start("store_writer", {"registry", "software\\RACE", "b", std::to_string(kWrites)}));
    EXPECT_EQ(testsupport::ExitCode(first.Wait()), 0);
    EXPECT_EQ(testsupport::ExitCode(second.Wait()), 0);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Race", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u * kWrites);
    for (const wchar_t* prefix : {L"a", L"b"})
    {
        for (int i = 0; i < kWrites; ++i)
        {
            wchar_t text[16] = {};
            DWORD size = sizeof(text) / sizeof(text[0]) * 2;
            const std::wstring name = prefix + std::to_wstring(i);
            ASSERT_EQ(
                RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
                ERROR_SUCCESS);
            EXPECT_EQ(std::wstring(text), L"v" + std::to_wstring(i));
        }
    }
    RegCloseKey(key);
}

TEST(StoreProcesses, AKilledWriterNeverLeavesAPartialFile)
{
    testsupport::TempDir dir("killed");
    const std::string path = dir / "big.ini";
    constexpr int kKeys = 4000;
    const std::string filler(150, 'x');
    std::string content = "[Race]\n";
    for (int i = 0; i < kKeys; ++i)
        content += "key" + std::to_string(i) + "=" + filler + std::to_string(i) + "\n";
    testsupport::WriteFile(path, content);
    const std::wstring file = Wide(path);

    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 6; ++round)
    {
        testsupport::ChildProcess writer;
        ASSERT_TRUE(writer.Start("store_writer", {"rewrite", path}));
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 200));
        // The last round first waits for a rewrite to land, to show that the writer works.
        for (int wait = 0; round == 5 && wait < 500 && ProfileValue(file, L"counter") == L"<missing>"; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        writer.Kill(SIGKILL);
        EXPECT_EQ(testsupport::ExitCode(writer.Wait()), 128 + SIGKILL);

        const std::string after = testsupport::ReadFile(path);
        ASSERT_GE(after.size(), content.size()) << "round " << round;
        EXPECT_EQ(after.compare(0, content.size(), content), 0);
        EXPECT_EQ(ProfileValue(file, L"key" + std::to_wstring(kKeys - 1)),
                  Wide(filler) + std::to_wstring(kKeys - 1));
    }
    EXPECT_NE(ProfileValue(file, L"counter"), L"<missing>");
}
