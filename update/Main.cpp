// The updater: started by Pictavo from its temporary copy with the install folder as its one
// argument; shows its status window while the package is applied.

#include "common/base/CrashHandler.h"
#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/dialog/ProgramWindow.h"
#include "common/dialog/SingleInstance.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"
#include "update/UpdateDlg.h"
#include "update/UpdaterFolders.h"

#include "platform/Win32.h"

using namespace DuiLib;

namespace
{
std::wstring StartLog()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"Pictavo";
    if (PathExists(folder, 0) != 0)
        MakeDir(folder);
    CLog::GetInstance()->Init(WideToAnsi(folder).c_str(), "update.log");
    return folder;
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    const std::wstring appName = GetAppName();
    if (CheckSingleInstance(PictavoProgram::UPDATE, appName))
        return 0;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count != 2)
    {
        if (args != nullptr)
            LocalFree(reinterpret_cast<HLOCAL>(args));
        return -1;
    }
    std::wstring strMainExeDir = args[1];
    LocalFree(reinterpret_cast<HLOCAL>(args));
    while (strMainExeDir.size() > 1 && strMainExeDir.back() == L'/')
        strMainExeDir.pop_back();
    SetCurrentDirectoryW(GetModuleDir().c_str());
    StartLog();
    // The updater stops programs, replaces files and writes the product key: only there.
    if (!IsRegisteredInstall(strMainExeDir))
    {
        LOG_ERROR(L"WinMain", L"strMainExeDir=%s", strMainExeDir.c_str());
        CLog::GetInstance()->Stop();
        return -1;
    }

    InitProgramSkin(hInstance, L"UpdateSkin");

    auto* dlg = new CUpdateDlg; // deletes itself when its window is gone
    dlg->m_strMainExeDir = strMainExeDir;
    const std::wstring title = ProgramWindowTitle(PictavoProgram::UPDATE, appName);
    RunProgramWindow(dlg, title, kTopWindowStyle, kTopWindowExStyle);
    CLog::GetInstance()->Stop();
    return 0;
}

int main()
{
    CCrashHandler crashHandler;
    return WinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
}
