#pragma once
// Mouse capture, leave and hover tracking, cursors, the pointer position, coordinate
// conversion and activation. Capture, tracking and the cursor are kept as data on the
// headless backend; the GTK backend makes them real.

#include "platform/Window.h"

constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_NONCLIENT = 0x00000010;
constexpr DWORD TME_QUERY = 0x40000000;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

struct TRACKMOUSEEVENT
{
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
using LPTRACKMOUSEEVENT = TRACKMOUSEEVENT*;

// TME_LEAVE: one WM_MOUSELEAVE when the pointer leaves the window (at once if it is not over
// it). TME_HOVER: one WM_MOUSEHOVER (client position, MK_ state) when the pointer rests
// dwHoverTime ms (HOVER_DEFAULT: 400) in the window. TME_CANCEL ends them, TME_QUERY fills the
// structure with what is tracked. FALSE with ERROR_INVALID_PARAMETER for a wrong cbSize.
BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track);

// While a window holds the capture, mouse input goes to it even outside it. Returns the
// previous capture; the window that loses it gets WM_CAPTURECHANGED (lParam the new holder).
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEW(32650)
#define IDC_HELP MAKEINTRESOURCEW(32651)

// Only the system cursors (instance NULL, an IDC_ value); NULL with ERROR_INVALID_PARAMETER
// otherwise. The handles are shared and never need freeing.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
// Shows the cursor over the window under the pointer (or the capture window). Returns the
// previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Screen coordinates.
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);

BOOL ScreenToClient(HWND hwnd, LPPOINT point);
BOOL ClientToScreen(HWND hwnd, LPPOINT point);

// Raises and activates the window's top-level window.
BOOL SetForegroundWindow(HWND hwnd);

// ---- Screen ------------------------------------------------------------------------------------

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CMONITORS = 80;

constexpr UINT SPI_GETWORKAREA = 0x0030;

// The primary monitor (headless: 1920 x 1080, all of it work area). 0 for an unknown index.
int GetSystemMetrics(int index);
// SPI_GETWORKAREA fills the RECT at param; anything else fails with ERROR_INVALID_PARAMETER.
BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID param, UINT winIni);

// ---- Monitors ----------------------------------------------------------------------------------

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;

struct MONITORINFO
{
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
};
using LPMONITORINFO = MONITORINFO*;

// Every window counts as being on the primary monitor, which answers for all of them (placement
// of popups against a work area needs no more). NULL only for an invalid window with
// MONITOR_DEFAULTTONULL.
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
// FALSE with ERROR_INVALID_PARAMETER for an unknown monitor or a wrong cbSize.
BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info);

namespace platform::headless
{
// The headless screen (monitor and work area) that the screen queries answer, for tests.
void SetScreen(const RECT& monitor, const RECT& workArea);
} // namespace platform::headless
