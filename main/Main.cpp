// The main program: one running copy, the skin, the log, the main window and its message loop.

#include "common/base/CrashHandler.h"
#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/dialog/SingleInstance.h"
#include "common/http/ClusterCurl.h"
#include "common/http/HttpMgr.h"
#include "common/install/RegSettings.h"
#include "main/CheckUpdate.h"
#include "main/CommandLine.h"
#include "main/MagickDriver.h"
#include "main/MagickLeftovers.h"
#include "main/MainDlg.h"
#include "main/RuntimeStart.h"
#include "main/WkeApi.h"

#include "platform/Display.h"
#include "platform/Shell.h"
#include "platform/Win32.h"

#include <cstdlib>

using namespace DuiLib;

namespace
{
constexpr int kCreateWidth = 720; // the skin then gives the window its own size
constexpr int kCreateHeight = 470;
// How long leaving waits for the background update run: its transfers read the stop request
// about once a second.
constexpr DWORD kUpdateStopWaitMs = 5000;

// The background update run ends before WinMain's objects go. One that does not end in time
// (a step that reads no stop request) would use them after that: the process then ends here,
// its log written, without running any destructor.
void EndUpdateRun(CCheckUpdate& checkUpdater)
{
    if (checkUpdater.EndThreads(kUpdateStopWaitMs))
        return;
    LOG_WARN(L"WinMain", L"the update check did not stop in time; ending the process");
    LOG_INFO(L"WinMain", L"程序已退出！！！");
    CLog::GetInstance()->Stop();
    std::_Exit(0);
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    const std::wstring appName = GetAppName();
    if (CheckSingleInstance(PictavoProgram::MAIN, appName))
        return 0;
    const bool checkUpdate = ParseCommandLine(GetCommandLineW());
    const std::wstring moduleDir = GetModuleDir();
    SetCurrentDirectoryW(moduleDir.c_str());
    ClusterCurl::GlobalInit();
    platform::InitDisplayBackend();
    MagickStartup(WideToAnsi(moduleDir) + "/magick");
    RemoveDeadMagickFolders();

    CPaintManagerUI::SetInstance(hInstance);
    CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + L"skin");
    CWndShadow::Initialize(hInstance);

    CLog::GetInstance()->Init((WideToAnsi(moduleDir) + "/log").c_str(), nullptr);
    const std::wstring configPath = moduleDir + L"/config.ini";
    CLog::GetInstance()->m_nLevel =
        static_cast<int>(GetPrivateProfileIntW(L"CONFIG", L"LogLevel", LOG_LEVEL_INFO, configPath.c_str()));

    // A ready update package is handed to the updater here, before any window.
    CCheckUpdate checkUpdater;
    bool startCheck = false;
    if (RunUpdateHandOver(&checkUpdater, moduleDir, checkUpdate, &startCheck))
    {
        LOG_INFO(L"WinMain", L"程序已退出！！！");
        CLog::GetInstance()->Stop();
        MagickShutdown();
        return 0;
    }
    // Without the engine (no display, no library) the web page panel shows its failure state.
    if (LoadWkeApi() == 0)
        LOG_INFO(L"WinMain", L"web view engine not loaded");
    if (startCheck)
        checkUpdater.StartCheckDownUpdatePackThread();

    auto* mainDlg = new CMainDlg; // deletes itself when its window is gone
    const std::wstring title = ProgramWindowTitle(PictavoProgram::MAIN, appName);
    if (const HWND hwnd = mainDlg->Create(nullptr, title.c_str(), kTopWindowStyle, kTopWindowExStyle, 0, 0,
                                          kCreateWidth, kCreateHeight))
    {
        mainDlg->CenterWindow();
        mainDlg->ShowWindow(true, true);
        CPaintManagerUI::MessageLoop();
        // Leaving withdraws the window at once, so that a new start never finds it; the
        // window waits for the workers, whose commands were stopped when the user left.
        if (::IsWindow(hwnd))
            ::DestroyWindow(hwnd);
    }
    else
    {
        LOG_ERROR(L"WinMain", L"main window not created");
        delete mainDlg;
    }

    ShutdownWkeApi(); // a view still standing keeps the engine's context until it goes
    EndUpdateRun(checkUpdater);
    CHttpMgr::StopRequests(); // a report still on its way ends with the program
    LOG_INFO(L"WinMain", L"程序已退出！！！");
    CLog::GetInstance()->Stop();
    MagickShutdown();
    return 0;
}

int main(int, char** argv)
{
    StartWithRuntimeSettings(argv);
    CCrashHandler crashHandler;
    return WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}
