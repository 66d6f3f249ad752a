// The uninstaller: one running copy, its own folder as the current folder, the log to the
// debug channel, and the uninstall window.

#include "ClusterCurl.h"
#include "HttpMgr.h"
#include "Log.h"
#include "PathHelper.h"
#include "RegSettings.h"
#include "SingleInstance.h"
#include "UninstDlg.h"

#include "platform/Display.h"
#include "platform/Shell.h"
#include "platform/Win32.h"

using namespace DuiLib;

namespace
{
constexpr DWORD kStyle = 0x10CF0000; // WS_VISIBLE | WS_OVERLAPPEDWINDOW
constexpr DWORD kExStyle = 0x60000;  // WS_EX_APPWINDOW | WS_EX_STATICEDGE
constexpr int kCreateWidth = 710;    // the skin then gives the window its own size
constexpr int kCreateHeight = 470;
constexpr long kConnectTimeoutSec = 5;
constexpr long kTotalTimeoutSec = 15;
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    const std::wstring appName = GetAppName();
    if (CheckSingleInstance(PictavoProgram::UNINST, appName))
        return 0;
    SetCurrentDirectoryW(GetModuleDir().c_str());
    // No log file: the install folder is about to go.
    CLog::GetInstance()->m_bDebugOutput = true;
    CLog::GetInstance()->Start();
    ClusterCurl::GlobalInit();
    CHttpMgr::SetRequestOptions(kConnectTimeoutSec, kTotalTimeoutSec, true);

    platform::InitDisplayBackend();
    CPaintManagerUI::SetInstance(hInstance);
    CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + L"UninstSkin");
    CWndShadow::Initialize(hInstance);

    auto* dlg = new CUninstDlg; // deletes itself when its window is gone
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        dlg->m_strProgramFile = self;
    dlg->m_strInstallDir = GetModuleDir();
    const std::wstring title = ProgramWindowTitle(PictavoProgram::UNINST, appName);
    if (dlg->Create(nullptr, title.c_str(), kStyle, kExStyle, 0, 0, kCreateWidth, kCreateHeight) != nullptr)
    {
        dlg->CenterWindow();
        dlg->ShowWindow(true, true);
        CPaintManagerUI::MessageLoop();
    }
    else
    {
        LOG_INFO(L"WinMain", L"uninstall window not created");
        delete dlg;
    }
    CLog::GetInstance()->Stop();
    return 0;
}

int main()
{
    return WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}
