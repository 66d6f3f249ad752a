#pragma once
// The setup's only window (skin "SetupDlg.xml"): a four-page wizard. Page 0 welcomes, with
// the licence check box and the folder bar; page 1 shows the licence; page 2 the progress of
// the install worker; page 3 finishes and starts the installed program.

#include "common/dialog/ProgramDlg.h"
#include "setup/InstallMgr.h"

#include <memory>
#include <string>
#include <vector>

class CSetupDlg : public CProgramDlg
{
public:
    CSetupDlg();
    ~CSetupDlg() override;

    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // Every close is refused while the worker runs: a half-done install folder without its
    // registry values must never come from a close.
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;

    void ShowPage(int page);
    std::wstring GetInstallPath();
    void OnInstall();
    void OnSelectPath();
    void OnStartExe();
    void LoadProtocol();

    DUI_DECLARE_MESSAGE_MAP()

private:
    LRESULT OnInstallProgress(WPARAM wParam);
    // The registered install folder when it still exists, else empty.
    static std::wstring RegisteredInstallDir();
    // Asks before installing into a folder that exists and is not an install of ours; false
    // when the user declines. created comes with the folders this setup made and leaves with
    // those to record (over an install of ours, those its first setup made).
    bool ConfirmFolder(const std::wstring& folder, bool existed, std::vector<std::wstring>& created);
    void SendStatistics(const InstallProgressRecord& record, bool success);

    bool m_bExtended = false;
    DuiLib::CTabLayoutUI* m_pMainTab = nullptr;
    DuiLib::CControlUI* m_pCloseBtn = nullptr;
    DuiLib::CControlUI* m_pMinBtn = nullptr;
    DuiLib::CEditUI* m_pEditPath = nullptr;
    DuiLib::CCheckBoxUI* m_pCkOk = nullptr;
    DuiLib::CProgressUI* m_pInstProgress = nullptr;
    DuiLib::CControlUI* m_pBtnExtend = nullptr;
    DuiLib::CControlUI* m_pLayoutPath = nullptr;
    std::wstring m_strInstallPath;
    std::unique_ptr<CInstallMgr> m_pInstallMgr;
    bool m_bFailed = false;
};

// Stream a text (".txt") or RTF (".rtf") file, or an RTF document in memory, after the present
// text of a rich edit.
bool LoadRichEditFile(DuiLib::CRichEditUI* edit, const wchar_t* path);
void LoadRichEditBuffer(DuiLib::CRichEditUI* edit, const unsigned char* data, unsigned size);
