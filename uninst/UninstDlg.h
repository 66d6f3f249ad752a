#pragma once
// The uninstaller's only window (skin "UninstDlg.xml"): page 0 asks, page 1 shows the removal's
// progress, page 2 says goodbye. Leaving it after a complete removal starts the script that
// removes the uninstaller itself.

#include "common/dialog/ProgramDlg.h"
#include "uninst/UninstMgr.h"

#include <memory>
#include <string>

class CUninstDlg : public CProgramDlg
{
public:
    CUninstDlg();
    ~CUninstDlg() override;

    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    // Every close is refused while the worker runs; after a complete removal every close
    // starts the self-delete script.
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    DUI_DECLARE_MESSAGE_MAP()

    // The running uninstaller's file and folder, set by WinMain before the window is made.
    std::wstring m_strProgramFile;
    std::wstring m_strInstallDir;

private:
    LRESULT OnUninstallProgress(WPARAM wParam);
    void ShowPage(int page);
    void StartSelfDelete();

    bool m_bFinished = false;
    bool m_bSelfDeleteStarted = false;
    DuiLib::CTabLayoutUI* m_pMainTab = nullptr;
    DuiLib::CControlUI* m_pCloseBtn = nullptr;
    DuiLib::CProgressUI* m_pUninstProgress = nullptr;
    DuiLib::CControlUI* m_pTxtStatus = nullptr;
    std::unique_ptr<CUninstMgr> m_pUninstMgr;
    std::wstring m_strVersion;
    std::wstring m_strChannel;
    std::wstring m_strMachineId;
    std::wstring m_strStatisticsUrl;
};

// The registry getters of the uninstaller: "version_str" ("1.0.0.0" when missing), "channel"
// and "MachineId" (else config.ini [MACHINE] MachineId in installDir).
std::wstring ReadRegVersionStr();
std::wstring ReadRegChannel();
std::wstring ReadRegMachineId(const std::wstring& installDir);
