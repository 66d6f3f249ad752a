#include "main/MyCenterDlg.h"

#include "common/base/PathHelper.h"
#include "main/MainDlg.h"

using namespace DuiLib;

namespace
{
constexpr const wchar_t* kDefaultAvatar = L"file='default_title.png' dest='0,0,56,56'";
} // namespace

std::wstring AvatarMarkup(const std::wstring& path, int size)
{
    // A "'" would end the quoted value early and let the rest pass for more markup.
    std::wstring quoted;
    for (const wchar_t ch : path)
    {
        if (ch != L'\'')
            quoted += ch;
    }
    const std::wstring edge = std::to_wstring(size);
    return L"file='" + quoted + L"' dest='0,0," + edge + L"," + edge + L"'";
}

DUI_BEGIN_MESSAGE_MAP(CMyCenterDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CMyCenterDlg::OnClick)
DUI_END_MESSAGE_MAP()

LPCTSTR CMyCenterDlg::GetWindowClassName() const
{
    return L"MyCenterDlg";
}

CDuiString CMyCenterDlg::GetSkinFile()
{
    return L"MyCenterDlg.xml";
}

void CMyCenterDlg::OnFinalMessage(HWND hWnd)
{
    // The main window owns the object.
    WindowImplBase::OnFinalMessage(hWnd);
}

void CMyCenterDlg::InitWindow()
{
    KeepFixedSize();
    m_pBtnLogout = m_PaintManager.FindControl(L"btn_logout");
    m_pLabelImg = m_PaintManager.FindControl(L"label_img");
    m_pLabelAccount = m_PaintManager.FindControl(L"label_account");
    m_bInit = true;
}

void CMyCenterDlg::ShowAccount(const std::wstring& account)
{
    m_strAccount = account;
    const std::wstring path = CMainDlg::AvatarPath(account);
    std::wstring image = kDefaultAvatar;
    if (!path.empty() && PathExists(path, 0) != -1)
        image = AvatarMarkup(path, 56);
    if (m_pLabelImg != nullptr)
        m_pLabelImg->SetAttribute(L"bkimage", image.c_str());
    if (m_pLabelAccount != nullptr)
        m_pLabelAccount->SetText(account.c_str());
}

void CMyCenterDlg::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == nullptr || msg.pSender->GetName() != L"btn_logout")
        return;
    const std::wstring path = CMainDlg::AvatarPath(m_strAccount);
    if (!path.empty())
        RemoveFile(path);
    ::PostMessageW(g_hMainWnd, WM_LOGOUT, 0, 0);
    ShowWindow(false, false);
}

LRESULT CMyCenterDlg::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    // Enter would otherwise close the window.
    bHandled = wParam == VK_RETURN ? TRUE : FALSE;
    return bHandled ? 1 : 0;
}

LRESULT CMyCenterDlg::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    ShowWindow(false, false);
    bHandled = FALSE;
    return 0;
}
