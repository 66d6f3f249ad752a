#include "tests/uninst/UninstKit.h"

#include "common/install/CreatedFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace uninsttest
{
RecordWindow::RecordWindow()
    : m_window(WM_UNINSTALL_PROGRESS, [this](WPARAM record) {
          const std::unique_ptr<UninstallProgressRecord> owned(
              reinterpret_cast<UninstallProgressRecord*>(record));
          m_records.push_back({*owned, std::chrono::steady_clock::now()});
      })
{
    g_hUninstWnd = m_window.hwnd();
}

RecordWindow::~RecordWindow()
{
    g_hUninstWnd = nullptr;
}

const std::vector<ReceivedRecord>& RecordWindow::Uninstall(CUninstMgr& worker, const std::string& installDir)
{
    worker.m_strInstallDir = testsupport::Wide(installDir);
    EXPECT_TRUE(worker.BeginUnInstallThread());
    m_window.PumpUntilEnded([&] { return worker.IsRunning(); });
    return m_records;
}

const std::vector<std::pair<std::string, std::string>>& Payload()
{
    static const std::vector<std::pair<std::string, std::string>> payload = {
        {"Pictavo", "main program"}, {"Update", "updater"},
        {"Uninst", "uninstaller"},   {"config.ini", "[Config]\nversion_url=http://127.0.0.1:1/v\n"},
        {"icon.png", "icon"},        {"magick/policy.xml", "<policymap/>"},
    };
    return payload;
}

void Install(const std::string& installDir)
{
    const std::vector<std::wstring> created = MissingFolders(testsupport::Wide(installDir));
    fs::create_directories(installDir);
    CInstallMgr worker;
    worker.SetCreatedFolders(created);
    worker.SetShortcutOptions(true, false);
    setuptest::ProgressWindow window;
    worker.SetInstallDir(testsupport::Wide(installDir));
    ASSERT_TRUE(worker.BeginInstallThread());
    const auto& records = window.WaitFor(worker);
    ASSERT_FALSE(records.empty());
    ASSERT_EQ(records.back().percent, 100) << testsupport::Narrow(records.back().message);
}
} // namespace uninsttest
