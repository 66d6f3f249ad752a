#pragma once
// The updater's status window (skin "UpdateDlg.xml"): one line telling how the update goes.
// It starts the unpack worker, restarts Pictavo when the worker is done (or failed) and, after
// a success, removes the updater's own temporary copy once the process has ended.

#include "UpdateMgr.h"
#include "WinBaseEx.h"

#include <string>

class CUpdateDlg : public CWinBaseEx
{
public:
    CUpdateDlg();
    ~CUpdateDlg() override;

    LPCTSTR GetWindowClassName() const override;
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    DuiLib::CDuiString GetSkinFile() override;
    LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    virtual LRESULT OnCopyData(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

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
