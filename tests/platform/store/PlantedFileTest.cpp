// The stores' own files with something planted in their place: a link is never written
// through (its target stays byte for byte, a dangling one creates nothing), a FIFO never
// blocks, and each refusal is reported on the debug channel.
#include "platform/DebugOutput.h"
#include "platform/Firewall.h"
#include "platform/Profile.h"
#include "platform/Registry.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <iterator>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::Wide;
using testsupport::WriteFile;

namespace
{
// Readable as a profile too, so that a read through the link would show.
const std::string kDecoy = "[Config]\ninstall_stattistics=1\nroot:x:0:0:root:/root:/bin/bash\n";

class DebugLines
{
public:
    DebugLines()
    {
        m_previous = platform::SetDebugSink([this](const std::wstring& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_text += line + L"\n";
        });
    }
    ~DebugLines() { platform::SetDebugSink(m_previous); }
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;

    bool Mention(const std::string& path, const std::wstring& what)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text.find(Wide(path) + L": " + what) != std::wstring::npos;
    }

private:
    platform::DebugSink m_previous;
    std::mutex m_mutex;
    std::wstring m_text;
};

class PlantedFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousState = std::getenv("PICTAVO_STATE_DIR");
        ::setenv("PICTAVO_STATE_DIR", (m_dir / "state").c_str(), 1);
        fs::create_directories(m_dir / "state/registry");
        fs::create_directories(m_dir / "state/firewall");
        fs::create_directories(m_dir / "elsewhere");
        WriteFile(m_decoy, kDecoy);
    }
    void TearDown() override { ::setenv("PICTAVO_STATE_DIR", m_previousState.c_str(), 1); }

    // Each store's file, the write that goes to it and the read that comes from it.
    struct Store
    {
        std::string path;
        std::function<bool()> write;
        std::function<bool()> readsNothing;
    };
    std::vector<Store> Stores()
    {
        const std::wstring ini = Wide(m_dir / "config.ini");
        return {
            {m_dir / "config.ini",
             [ini] {
                 return WritePrivateProfileStringW(L"Config", L"install_stattistics", L"0", ini.c_str()) != 0;
             },
             [ini] {
                 wchar_t out[64] = {};
                 GetPrivateProfileStringW(nullptr, nullptr, L"", out, 64, ini.c_str());
                 return out[0] == L'\0';
             }},
            {m_dir / "state/registry/HKEY_CURRENT_USER.reg",
             [] {
                 HKEY key = nullptr;
                 const LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Planted", 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr);
                 if (key != nullptr)
                     RegCloseKey(key);
                 return rc == ERROR_SUCCESS;
             },
             [] {
                 HKEY key = nullptr;
                 return RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE", 0, KEY_READ, &key) != ERROR_SUCCESS;
             }},
            {m_dir / "state/firewall/rules",
             [] {
                 platform::FirewallRule rule;
                 rule.name = L"planted";
                 rule.application = L"/x";
                 return platform::FirewallStore::Add(rule) && platform::FirewallStore::Remove(L"root");
             },
             [] { return platform::FirewallStore::List().empty(); }},
        };
    }

    testsupport::TempDir m_dir{"planted"};
    std::string m_decoy = m_dir / "elsewhere/passwd";
    std::string m_previousState;
};

// Runs call on its own thread; false when it has not returned within 10 s (a blocked open of
// the FIFO is then released by opening its other end).
bool ReturnsAtOnce(const std::string& fifo, const std::function<bool()>& call, bool& result)
{
    auto running = std::async(std::launch::async, call);
    if (running.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
    {
        result = running.get();
        return true;
    }
    ::close(::open(fifo.c_str(), O_RDWR | O_NONBLOCK));
    running.wait();
    return false;
}
} // namespace

TEST_F(PlantedFile, LinksAreNeitherWrittenThroughNorFollowedIntoNewFiles)
{
    for (const Store& store : Stores())
    {
        SCOPED_TRACE(store.path);
        // A link to a copy of a system file: the write fails and the copy is unchanged.
        DebugLines debug;
        ASSERT_EQ(0, ::symlink(m_decoy.c_str(), store.path.c_str()));
        EXPECT_FALSE(store.write());
        EXPECT_TRUE(store.readsNothing());
        EXPECT_EQ(kDecoy, ReadFile(m_decoy));
        EXPECT_TRUE(fs::is_symlink(store.path));
        EXPECT_TRUE(debug.Mention(store.path, L"is a symbolic link; left alone"));

        // A dangling link: nothing is created where it points.
        const std::string target = m_dir / "elsewhere/created";
        fs::remove(store.path);
        ASSERT_EQ(0, ::symlink(target.c_str(), store.path.c_str()));
        EXPECT_FALSE(store.write());
        EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
        EXPECT_TRUE(fs::is_symlink(store.path));
        fs::remove(store.path);

        // With the link gone the store works again.
        EXPECT_TRUE(store.write());
        EXPECT_FALSE(store.readsNothing());
        fs::remove(store.path);
    }
    EXPECT_EQ(1, std::distance(fs::directory_iterator(m_dir / "elsewhere"), fs::directory_iterator()));
}

TEST_F(PlantedFile, AFifoIsRefusedAtOnce)
{
    for (const Store& store : Stores())
    {
        SCOPED_TRACE(store.path);
        DebugLines debug;
        ASSERT_EQ(0, ::mkfifo(store.path.c_str(), 0600));
        bool result = true;
        ASSERT_TRUE(ReturnsAtOnce(store.path, store.readsNothing, result));
        EXPECT_TRUE(result);
        ASSERT_TRUE(ReturnsAtOnce(store.path, store.write, result));
        EXPECT_FALSE(result);
        EXPECT_TRUE(debug.Mention(store.path, L"is not a regular file; left alone"));
        fs::remove(store.path);
    }
}
