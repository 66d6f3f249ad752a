#include "main/TrayIcon.h"

#include "main/MainDlg.h"

#include "ui/UIlib.h"

#include <algorithm>
#include <cwchar>

namespace
{
constexpr UINT kIconId = 102;
constexpr DWORD kNidSize = 956;
constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_GUID; // 39
} // namespace

CTrayIcon::CTrayIcon()
{
    Reset();
}

void CTrayIcon::Reset()
{
    m_bAdded = false;
    m_uCallbackMsg = WM_TRAY_NOTIFY;
    m_nid = NOTIFYICONDATAW{};
}

void CTrayIcon::Add(LPCWSTR tip)
{
    if (g_hMainWnd == nullptr)
        return;
    m_hIcon = ::LoadIconW(DuiLib::CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(kIconId));
    m_nid.cbSize = kNidSize;
    m_nid.hWnd = g_hMainWnd;
    m_nid.uID = kIconId;
    m_nid.uFlags = kFlags;
    m_nid.uCallbackMessage = m_uCallbackMsg;
    m_nid.hIcon = m_hIcon;
    if (tip != nullptr)
    {
        const size_t length = std::min<size_t>(std::wcslen(tip), 127);
        std::wmemcpy(m_nid.szTip, tip, length);
        m_nid.szTip[length] = L'\0';
    }
    ::Shell_NotifyIconW(NIM_ADD, &m_nid);
    // Desktops that show the icon only with a menu get the tray menu's two commands.
    platform::SetNotifyIconMenu(g_hMainWnd, kIconId,
                                {{L"显示主界面", kShowCommand}, {L"退出", kExitCommand}});
    m_bAdded = true;
}

void CTrayIcon::Delete()
{
    if (m_bAdded)
        ::Shell_NotifyIconW(NIM_DELETE, &m_nid);
    Reset();
}
