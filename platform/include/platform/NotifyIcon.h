#pragma once
// Notification-area (tray) icons. An icon belongs to a window and an id; the desktop's clicks
// on it come back to that window as its callback message, with the id in wParam and the mouse
// message (WM_LBUTTONDOWN, WM_RBUTTONDOWN, ...) in lParam, as on Windows.
//
// Which desktop service shows the icon is one NotifyIconBackend, chosen once when the display
// backend starts: an XEmbed tray (GtkStatusIcon; clicks come with the pointer where they
// happened), else a StatusNotifierItem host (an AppIndicator: it has no clicks, only a menu,
// made from the rows given with SetNotifyIconMenu). Without either nothing is shown and
// nothing fails. Without a display the headless backend keeps the icons for tests.

#include "platform/Window.h"

#include <string>
#include <vector>

constexpr DWORD NIM_ADD = 0x00000000;
constexpr DWORD NIM_MODIFY = 0x00000001;
constexpr DWORD NIM_DELETE = 0x00000002;

constexpr UINT NIF_MESSAGE = 0x00000001;
constexpr UINT NIF_ICON = 0x00000002;
constexpr UINT NIF_TIP = 0x00000004;
constexpr UINT NIF_STATE = 0x00000008;
constexpr UINT NIF_INFO = 0x00000010;
constexpr UINT NIF_GUID = 0x00000020;

struct NOTIFYICONDATAW
{
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT uVersion;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
    HICON hBalloonIcon;
};
using PNOTIFYICONDATAW = NOTIFYICONDATAW*;

// NIM_ADD fails for an icon (window, id) that exists or a window that does not; NIM_MODIFY and
// NIM_DELETE fail for one that does not exist.
BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);
#define Shell_NotifyIcon Shell_NotifyIconW

// The images LoadIconW hands out are the program's embedded icon resources (PNG), or the
// system's IDI_APPLICATION.
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);

namespace platform
{
// One icon as the platform keeps it.
struct NotifyIconState
{
    HWND hwnd = nullptr;
    UINT id = 0;
    UINT callbackMessage = 0; // 0: no clicks are reported
    HICON icon = nullptr;
    std::wstring tip;
};

// A row of the menu that desktops without clicks show for the icon: choosing it posts the
// callback message with lParam WM_COMMAND and wParam the row's command.
struct NotifyIconMenuRow
{
    std::wstring text;
    UINT command = 0;
};

class NotifyIconBackend
{
public:
    virtual ~NotifyIconBackend() = default;
    virtual void Add(const NotifyIconState& icon) = 0;
    virtual void Modify(const NotifyIconState& icon) = 0;
    virtual void Delete(const NotifyIconState& icon) = 0;
    virtual void SetMenu(const NotifyIconState& icon, const std::vector<NotifyIconMenuRow>& rows) {}
};

// Installs the backend (nullptr: the headless one) and returns the previous one.
NotifyIconBackend* SetNotifyIconBackend(NotifyIconBackend* backend);
// Rows for the icon's menu where the desktop only gives a menu. FALSE for an unknown icon.
BOOL SetNotifyIconMenu(HWND hwnd, UINT id, const std::vector<NotifyIconMenuRow>& rows);
// The PNG bytes behind an icon handle (empty for IDI_APPLICATION or an unknown handle).
std::vector<unsigned char> IconImage(HICON icon);
} // namespace platform

namespace platform::headless
{
// The icons shown now, oldest first.
std::vector<NotifyIconState> NotifyIcons();
} // namespace platform::headless
