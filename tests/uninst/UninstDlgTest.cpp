// The uninstall window on the real skin, headless: "再试试看" removes nothing and starts no
// script; after "直接卸载" every close is refused while the worker runs, the progress reaches
// 100 and the goodbye page follows about a second later, the report goes out once, and leaving
// that page, also with Alt+F4, starts the script that removes the uninstaller.
#include "uninst/UninstDlg.h"
#include "tests/support/DialogKit.h"
#include "tests/support/TestServers.h"
#include "tests/uninst/UninstKit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

using namespace dialogtest;
using namespace uninsttest;
using testsupport::Wide;
namespace fs = std::filesystem;

namespace
{
struct OpenWindow
{
    CUninstDlg* dlg = nullptr;
    HWND hwnd = nullptr;
};

OpenWindow Open(const std::string& installDir)
{
    OpenWindow window;
    window.dlg = new CUninstDlg; // deletes itself with its window
    window.dlg->m_strInstallDir = Wide(installDir);
    window.dlg->m_strProgramFile = Wide(installDir + "/Uninst");
    window.hwnd = window.dlg->Create(nullptr, L"Pictavo卸载程序", 0x10CF0000, 0x60000, 0, 0, 710, 470);
    Pump();
    return window;
}

int Page(const OpenWindow& window)
{
    auto* tab = dynamic_cast<DuiLib::CTabLayoutUI*>(window.dlg->GetPaintManager().FindControl(L"mainTab"));
    return tab != nullptr ? tab->GetCurSel() : -1;
}

int Progress(const OpenWindow& window)
{
    auto* bar =
        dynamic_cast<DuiLib::CProgressUI*>(window.dlg->GetPaintManager().FindControl(L"uninstProgress"));
    return bar != nullptr ? bar->GetValue() : -1;
}

std::string ScriptPath()
{
    return std::string(std::getenv("TMPDIR")) + "_uninstall_acc.sh";
}

// The arguments of the running script: what it will remove once this process has ended.
std::vector<std::string> ScriptArguments()
{
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        const std::string line = testsupport::ReadFile((entry.path() / "cmdline").string());
        std::vector<std::string> words;
        for (std::size_t start = 0; start < line.size();)
        {
            const std::size_t end = line.find('\0', start);
            words.push_back(line.substr(start, end - start));
            start = end == std::string::npos ? line.size() : end + 1;
        }
        if (words.size() > 1 && words[1] == ScriptPath())
            return words;
    }
    return {};
}
} // namespace

TEST(UninstDlg, AsksRefusesClosesWhileRemovingAndLeavesThroughTheScript)
{
    httptest::LocalHttpServer statistics;
    ASSERT_TRUE(statistics.ok());
    setuptest::SetupFolder setup(Payload());
    const std::string installDir = std::string(std::getenv("HOME")) + "/.local/opt/Pictavo";
    Install(installDir);
    testsupport::WriteFile(installDir + "/config.ini",
                           "[Config]\nuninstall_statistics_url=" + statistics.Url("/echo") + "\n");

    OpenWindow window = Open(installDir);
    ASSERT_NE(window.hwnd, nullptr);
    EXPECT_EQ(Page(window), 0);
    ASSERT_TRUE(ClickControl(window.dlg, L"btnCancel"));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window.hwnd); }));
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_TRUE(fs::exists(installDir + "/Pictavo"));
    EXPECT_FALSE(fs::exists(ScriptPath()));

    window = Open(installDir);
    ASSERT_TRUE(ClickControl(window.dlg, L"btnUnInstall"));
    Pump();
    EXPECT_EQ(Page(window), 1);
    ::SendMessageW(window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Progress(window) == 100; }, 10000));
    const auto full = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return Page(window) == 2; }, 3000)) << "the goodbye page did not come";
    EXPECT_GE(std::chrono::steady_clock::now() - full, std::chrono::milliseconds(900));
    EXPECT_TRUE(::IsWindow(window.hwnd)) << "a close was not refused during the removal";
    EXPECT_FALSE(fs::exists(installDir + "/Pictavo"));
    ASSERT_TRUE(PumpUntil([&] { return statistics.RequestCount() == 1; }, 5000)) << "no report";
    EXPECT_FALSE(fs::exists(ScriptPath()));

    ::SendMessageW(window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window.hwnd); }));
    TakeQuitMessage();
    EXPECT_TRUE(fs::exists(ScriptPath())) << "Alt+F4 on the goodbye page left the uninstaller behind";
    // The uninstaller, then its folder and the folders the setup made above it, deepest first.
    const std::string home = std::getenv("HOME");
    std::vector<std::string> arguments;
    EXPECT_TRUE(PumpUntil([&] { return (arguments = ScriptArguments()).size() == 7; }, 5000))
        << "no waiting script; the uninstaller " << (fs::exists(installDir + "/Uninst") ? "is" : "is not")
        << " still there";
    ASSERT_EQ(arguments.size(), 7u);
    EXPECT_EQ(arguments[3], installDir + "/Uninst");
    EXPECT_EQ(arguments[4], fs::canonical(installDir).string());
    EXPECT_EQ(arguments[5], home + "/.local/opt");
    EXPECT_EQ(arguments[6], home + "/.local");
}

// A worker thread that cannot be made is logged; the window stays on its progress page,
// removes nothing and may be closed.
TEST(UninstDlg, AWorkerThatCannotStartIsLoggedAndTheWindowStaysOnItsPage)
{
    setuptest::SetupFolder setup(Payload());
    const std::string installDir = std::string(std::getenv("HOME")) + "/.local/opt/Pictavo";
    Install(installDir);
    LogLines log;
    OpenWindow window = Open(installDir);
    {
        const NoNewThreads refused;
        ASSERT_TRUE(ClickControl(window.dlg, L"btnUnInstall"));
        Pump();
    }
    EXPECT_EQ(Page(window), 1);
    EXPECT_TRUE(log.WaitFor(L"创建卸载线程失败")) << "no log line";
    EXPECT_TRUE(fs::exists(installDir + "/Pictavo"));
    ::SendMessageW(window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window.hwnd); })) << "the close was refused";
    TakeQuitMessage();
    EXPECT_FALSE(fs::exists(ScriptPath()));
}
