#pragma once
// The updater's status window (skin "UpdateDlg.xml"): one line telling how the update goes.
// It starts the unpack worker, restarts Pictavo when the worker is done (or failed) and, after
// a success, removes the updater's own temporary copy once the process has ended.

#include "ProgramDlg.h"
#include "UpdateMgr.h"

#include <string>

class CUpdateDlg : public CProgramDlg
{
public:
    CUpdateDlg();
    ~CUpdateDlg() override;

    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    // Starts Pictavo from the install folder with "-run update".
    void StartMainExe();

    DUI_DECLARE_MESSAGE_MAP()

    std::wstring strMainExeDir;

private:
    void OnStatus(UpdateStatusRecord* record);
    void StopWorker();

    DuiLib::CControlUI* txtStatus = nullptr;
    CUpdateMgr* m_pUpdateMgr = nullptr;
};
