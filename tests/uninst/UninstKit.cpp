#include "UninstKit.h"

#include "HttpMgr.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace uninsttest
{
namespace
{
std::vector<ReceivedRecord> g_records;
int g_replies = 0;

LRESULT CALLBACK RecordProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HTTP_REPLY)
    {
        delete reinterpret_cast<HttpReply*>(wParam);
        ++g_replies;
        return 1;
    }
    if (msg != WM_UNINSTALL_PROGRESS)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::unique_ptr<UninstallProgressRecord> record(reinterpret_cast<UninstallProgressRecord*>(wParam));
    g_records.push_back({*record, std::chrono::steady_clock::now()});
    return 1;
}

// Pumps the test thread's messages until done() holds or the time is up.
template <class Done> void Pump(HWND hwnd, std::chrono::seconds limit, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    SetTimer(hwnd, 1, 20, nullptr);
    MSG msg{};
    while (!done() && std::chrono::steady_clock::now() < deadline && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    KillTimer(hwnd, 1);
}
} // namespace

RecordWindow::RecordWindow()
{
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &RecordProc;
        wc.lpszClassName = L"UninstRecordTestWindow";
        return RegisterClassExW(&wc);
    }();
    static_cast<void>(registered);
    m_hwnd = CreateWindowExW(0, L"UninstRecordTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    g_records.clear();
    g_replies = 0;
    g_hUninstWnd = m_hwnd;
}

RecordWindow::~RecordWindow()
{
    g_hUninstWnd = nullptr;
    DestroyWindow(m_hwnd);
}

const std::vector<ReceivedRecord>& RecordWindow::Uninstall(CUninstMgr& worker, const std::string& installDir)
{
    worker.m_strInstallDir = testsupport::Wide(installDir);
    EXPECT_TRUE(worker.BeginUnInstallThread());
    // The last record is posted before the worker ends: once it has ended, one more round of
    // messages brings everything.
    bool ended = false;
    Pump(m_hwnd, std::chrono::seconds(20), [&] {
        const bool done = ended;
        ended = !worker.IsRunning();
        return done;
    });
    return g_records;
}

bool RecordWindow::WaitForReplies(int count)
{
    Pump(m_hwnd, std::chrono::seconds(10), [&] { return g_replies >= count; });
    return g_replies >= count;
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
    const bool created = !fs::exists(installDir);
    fs::create_directories(installDir);
    CInstallMgr worker;
    worker.SetCreatedInstallDir(created);
    worker.SetShortcutOptions(true, false);
    setuptest::ProgressWindow window;
    worker.SetInstallDir(testsupport::Wide(installDir));
    ASSERT_TRUE(worker.BeginInstallThread());
    const auto& records = window.WaitFor(worker);
    ASSERT_FALSE(records.empty());
    ASSERT_EQ(records.back().percent, 100) << testsupport::Narrow(records.back().message);
}
} // namespace uninsttest
