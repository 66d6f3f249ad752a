// The uninstaller: one running copy, its own folder as the current folder, the log to the
// debug channel, and the uninstall window.

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/dialog/ProgramWindow.h"
#include "common/dialog/SingleInstance.h"
#include "common/http/ClusterCurl.h"
#include "common/http/HttpMgr.h"
#include "common/install/RegSettings.h"
#include "uninst/UninstDlg.h"

#include "platform/Shell.h"
#include "platform/Win32.h"

using namespace DuiLib;

namespace
{
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
    // A failed report is not logged here: only the main program logs its failed requests.
    CHttpMgr::SetRequestOptions(kConnectTimeoutSec, kTotalTimeoutSec, false);

    InitProgramSkin(hInstance, L"UninstSkin");

    auto* dlg = new CUninstDlg; // deletes itself when its window is gone
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        dlg->m_strProgramFile = self;
    dlg->m_strInstallDir = GetModuleDir();
    const std::wstring title = ProgramWindowTitle(PictavoProgram::UNINST, appName);
    RunProgramWindow(dlg, title, kTopWindowStyle, kTopWindowExStyle);
    CHttpMgr::StopRequests(); // a report still on its way ends with the program
    CLog::GetInstance()->Stop();
    return 0;
}

int main()
{
    return WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}
