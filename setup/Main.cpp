// The setup program: one running copy, the skin, the log in the temporary folder, the name of
// the program that started it (the channel may come from it) and the wizard window.

#include "common/base/CrashHandler.h"
#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/dialog/ProgramWindow.h"
#include "common/dialog/SingleInstance.h"
#include "common/http/ClusterCurl.h"
#include "common/http/HttpMgr.h"
#include "setup/InstallIni.h"
#include "setup/SetupDlg.h"

#include "common/install/RegSettings.h"

#include "platform/Shell.h"
#include "platform/Win32.h"

using namespace DuiLib;

namespace
{
constexpr long kConnectTimeoutSec = 5;
constexpr long kTotalTimeoutSec = 15;

void StartLog()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + kDefaultAppName;
    if (!IsDirectory(folder))
        MakeDir(folder);
    CLog::GetInstance()->Init(WideToAnsi(folder).c_str(), "install.log");
}

void RememberParent()
{
    const DWORD parent = platform::GetParentProcessId();
    const std::wstring image = parent != 0 ? platform::GetProcessImagePath(parent) : std::wstring();
    if (image.empty())
    {
        LOG_ERROR(L"WinMain", L"GetParentPIDAndName--> err code: %d", static_cast<int>(GetLastError()));
        return;
    }
    g_strParentName = ParentNameOf(image);
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    // The setup's own folder first: install.ini, which names the window, is read from there.
    SetCurrentDirectoryW(GetModuleDir().c_str());
    if (CheckSingleInstance(PictavoProgram::SETUP, ReadInstallAppName()))
        return 0;
    ClusterCurl::GlobalInit();
    // A failed report is not logged here: only the main program logs its failed requests.
    CHttpMgr::SetRequestOptions(kConnectTimeoutSec, kTotalTimeoutSec, false);
    InitProgramSkin(hInstance, L"SetupSkin");
    StartLog();
    RememberParent();

    auto* setupDlg = new CSetupDlg; // deletes itself when its window is gone
    RunProgramWindow(setupDlg, GetSetupTitle(), kTopWindowStyle, kTopWindowExStyle);
    CHttpMgr::StopRequests(); // a report still on its way ends with the program
    CLog::GetInstance()->Stop();
    return 0;
}

int main()
{
    CCrashHandler crashHandler;
    return WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}
