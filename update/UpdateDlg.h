#pragma once
// The updater's status window (skin "UpdateDlg.xml"): one line telling how the update goes.
// It starts the unpack worker and restarts Pictavo when the worker is done (or failed); after a
// failure it stays above the restarted Pictavo until the user closes it. When the window goes,
// the updater's own temporary copy is removed once the process has ended.

#include "common/base/WorkerThread.h"
#include "common/dialog/ProgramDlg.h"
#include "update/UpdateMgr.h"

#include <memory>
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

    // Starts Pictavo from the install folder with "-run update"; updated: the new version stands
    // (else the installed one is started again after a failure).
    void StartMainExe(bool updated = true);

    DUI_DECLARE_MESSAGE_MAP()

    std::wstring m_strMainExeDir;

private:
    void OnStatus(UpdateStatusRecord* record);
    void OnFailed(const std::wstring& text);
    void StopWorker();
    void RemoveOwnCopy();

    DuiLib::CControlUI* m_pTxtStatus = nullptr;
    const std::unique_ptr<CUpdateMgr> m_updateMgr = std::make_unique<CUpdateMgr>();
    // The worker as its thread is handed it; owned by m_updateMgr.
    CUpdateMgr* const m_pUpdateMgr = m_updateMgr.get();
    CWorkerThread m_worker;
};
