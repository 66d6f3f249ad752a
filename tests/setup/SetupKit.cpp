#include "SetupKit.h"

#include "HttpMgr.h"
#include "RegSettings.h"

#include "platform/Win32.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace setuptest
{
namespace
{
std::vector<InstallProgressRecord> g_records;

// The applications and program folders of the private HOME, also when the tests run as root.
const bool g_userFolders = ::setenv("PICTAVO_USER_FOLDERS", "1", 1) == 0;

void SwapEnv(const char* name, std::string& value)
{
    const char* old = std::getenv(name);
    const std::string previous = old != nullptr ? old : "";
    ::setenv(name, value.c_str(), 1);
    value = previous;
}

int g_replies = 0;

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HTTP_REPLY)
    {
        delete reinterpret_cast<HttpReply*>(wParam);
        ++g_replies;
        return 1;
    }
    if (msg != WM_INSTALL_PROGRESS)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::unique_ptr<InstallProgressRecord> record(reinterpret_cast<InstallProgressRecord*>(wParam));
    g_records.push_back(*record);
    return 1;
}
} // namespace

ProgressWindow::ProgressWindow()
{
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &ProgressProc;
        wc.lpszClassName = L"SetupProgressTestWindow";
        return RegisterClassExW(&wc);
    }();
    static_cast<void>(registered);
    m_hwnd = CreateWindowExW(0, L"SetupProgressTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    g_records.clear();
    g_replies = 0;
    g_hSetupWnd = m_hwnd;
}

ProgressWindow::~ProgressWindow()
{
    g_hSetupWnd = nullptr;
    DestroyWindow(m_hwnd);
}

const std::vector<InstallProgressRecord>& ProgressWindow::WaitFor(const CInstallMgr& worker)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    SetTimer(m_hwnd, 1, 20, nullptr);
    MSG msg{};
    bool drained = false;
    while (std::chrono::steady_clock::now() < deadline && GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        DispatchMessageW(&msg);
        // One more round after the worker ended picks up the records it posted last.
        if (!worker.IsRunning())
        {
            if (drained)
                break;
            drained = msg.message == WM_TIMER;
        }
    }
    KillTimer(m_hwnd, 1);
    return g_records;
}

bool ProgressWindow::WaitForReplies(int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    SetTimer(m_hwnd, 1, 20, nullptr);
    MSG msg{};
    while (g_replies < count && std::chrono::steady_clock::now() < deadline &&
           GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    KillTimer(m_hwnd, 1);
    return g_replies >= count;
}

SetupFolder::SetupFolder(const std::vector<std::pair<std::string, std::string>>& payload)
{
    for (const auto& [name, bytes] : payload)
    {
        const fs::path file = fs::path(m_dir.path()) / "PictavoInstaller" / name;
        fs::create_directories(file.parent_path());
        testsupport::WriteFile(file.string(), bytes);
    }
    fs::create_directories(m_dir / "PictavoInstaller");
    testsupport::WriteFile(m_dir / "libDuiLib.so", "framework library");
    m_previous = fs::current_path().string();
    fs::current_path(m_dir.path());
    // A registry, rule store and HOME of this folder's own.
    m_home = m_dir / "home";
    m_state = m_dir / "state";
    fs::create_directories(m_home);
    fs::create_directories(m_state);
    SwapEnv("HOME", m_home);
    SwapEnv("PICTAVO_STATE_DIR", m_state);
}

SetupFolder::~SetupFolder()
{
    SwapEnv("HOME", m_home);
    SwapEnv("PICTAVO_STATE_DIR", m_state);
    fs::current_path(m_previous);
}

std::wstring IniValue(const std::string& ini, const wchar_t* section, const wchar_t* key)
{
    wchar_t buffer[1024] = {};
    GetPrivateProfileStringW(section, key, L"", buffer, 1024, testsupport::Wide(ini).c_str());
    return buffer;
}

std::wstring RegValue(const wchar_t* key, const wchar_t* name)
{
    wchar_t buffer[1024] = {};
    CRegSettings settings(HKEY_LOCAL_MACHINE, key, false, false);
    settings.GetValue(name, buffer, 1024 * 2);
    return buffer;
}

std::wstring ProductValue(const wchar_t* name)
{
    return RegValue(kProductRegKey, name);
}
} // namespace setuptest
