// The main window's tray icon messages: a left click shows the window, a right click opens the
// tray menu.
#include "main/MainDlg.h"
#include "main/TrayIcon.h"
#include "main/menu/MenuEx.h"

#include "platform/Input.h"

#include <memory>

using namespace DuiLib;

namespace
{
const wchar_t* const kTrayMenuXml = L"trayMenu.xml";
} // namespace

LRESULT CMainDlg::OnTrayIcon(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    CControlUI* loading = m_PaintManager.FindControl(L"loadingLayout");
    if (loading != nullptr && loading->IsVisible())
    {
        bHandled = FALSE;
        return 0;
    }
    switch (static_cast<UINT>(lParam))
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ShowFromTray();
        break;
    case WM_RBUTTONDOWN:
        PopupTrayMenu();
        break;
    case WM_COMMAND: // a row of the menu of desktops that give the icon no clicks
        RunTrayCommand(wParam == CTrayIcon::kExitCommand ? L"cmd_exit" : L"cmd_shownormal");
        break;
    default:
        break;
    }
    bHandled = TRUE;
    return 0;
}

void CMainDlg::ShowFromTray()
{
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
}

void CMainDlg::PopupTrayMenu()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    auto menu = std::make_shared<CMenuEx>(kTrayMenuXml);
    menu->m_bChosen = false;
    menu->m_strCommand = L"null";
    menu->Create(kTrayMenuXml);
    // Raising a hidden window would show it on X11: only a visible owner is brought forward.
    if (::IsWindowVisible(m_hWnd))
        ::SetForegroundWindow(m_hWnd);
    const CDuiString command = menu->Popup(m_hWnd, cursor.x, cursor.y);
    RunTrayCommand(command);
}

void CMainDlg::RunTrayCommand(const CDuiString& command)
{
    if (command == L"cmd_shownormal")
        ShowFromTray();
    else if (command == L"cmd_exit")
        ExitApp();
}
