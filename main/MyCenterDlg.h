#pragma once
// The account window (skin "MyCenterDlg.xml"): the avatar, the account name and the logout
// button, opened from the title bar's account button. It hides itself as soon as it loses
// focus; the main window keeps the object and deletes it.

#include "common/dialog/WinBaseEx.h"

#include <string>

class CMyCenterDlg : public CWinBaseEx
{
public:
    CMyCenterDlg() = default;

    LPCTSTR GetWindowClassName() const override;
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    DuiLib::CDuiString GetSkinFile() override;
    LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    // Shows the account's avatar (the default picture without one) and name.
    void ShowAccount(const std::wstring& account);

    DUI_DECLARE_MESSAGE_MAP()

    std::wstring m_strAccount;
    bool m_bInit = false;
    DuiLib::CControlUI* m_pBtnLogout = nullptr;
    DuiLib::CControlUI* m_pLabelImg = nullptr;
    DuiLib::CControlUI* m_pLabelAccount = nullptr;
};

// Image markup showing the picture at path in a size x size square.
std::wstring AvatarMarkup(const std::wstring& path, int size);
