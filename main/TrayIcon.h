#pragma once
// The main window's notification-area icon: the product icon with the product name as its tip;
// its clicks come to the main window as WM_TRAY_NOTIFY.

#include "platform/NotifyIcon.h"

#include <string>

class CTrayIcon
{
public:
    // The commands of the icon's menu on desktops that give the icon no clicks (wParam of
    // WM_TRAY_NOTIFY with lParam WM_COMMAND).
    static constexpr UINT kShowCommand = 1;
    static constexpr UINT kExitCommand = 2;

    CTrayIcon();
    // Adds the icon for the main window (g_hMainWnd); nothing while that is not set.
    void Add(LPCWSTR tip);
    // Removes the icon when added and returns to the state before Add.
    void Delete();
    bool IsAdded() const { return m_bAdded; }

    bool m_bAdded = false;
    UINT m_uCallbackMsg;
    HICON m_hIcon = nullptr;
    NOTIFYICONDATAW m_nid;

private:
    void Reset();
};
