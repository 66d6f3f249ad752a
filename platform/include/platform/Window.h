#pragma once
// Window classes and windows with their Win32 names, signatures and constant values. A window
// belongs to the thread that created it: its procedure runs on that thread, messages sent from
// other threads wait for it, and only that thread may destroy it. Style bits, position, size,
// title, visibility and window longs are kept here as data; a WindowBackend turns them into
// native windows (the GTK backend) or merely keeps them (the headless backend, the default).

#include "platform/Messages.h"

#include <string>

// ---- Classes ----------------------------------------------------------------------------------

struct WNDCLASSEXW
{
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};
using LPWNDCLASSEXW = WNDCLASSEXW*;

struct WNDCLASSW
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};
using LPWNDCLASSW = WNDCLASSW*;

struct CREATESTRUCTW
{
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};
using LPCREATESTRUCTW = CREATESTRUCTW*;

struct WINDOWPOS
{
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};
using LPWINDOWPOS = WINDOWPOS*;

struct NCCALCSIZE_PARAMS
{
    RECT rgrc[3];
    WINDOWPOS* lppos;
};

struct MINMAXINFO
{
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
using LPMINMAXINFO = MINMAXINFO*;

#define MAKEINTATOM(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_CLASSDC = 0x0040;
constexpr UINT CS_PARENTDC = 0x0080;
constexpr UINT CS_NOCLOSE = 0x0200;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_BYTEALIGNCLIENT = 0x1000;
constexpr UINT CS_BYTEALIGNWINDOW = 0x2000;
constexpr UINT CS_GLOBALCLASS = 0x4000;
constexpr UINT CS_DROPSHADOW = 0x00020000;

// ---- Styles -----------------------------------------------------------------------------------

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_TILED = WS_OVERLAPPED;
constexpr DWORD WS_ICONIC = WS_MINIMIZE;
constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
constexpr DWORD WS_CHILDWINDOW = WS_CHILD;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_MDICHILD = 0x00000040;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTEXTHELP = 0x00000400;
constexpr DWORD WS_EX_LEFT = 0x00000000;
constexpr DWORD WS_EX_RIGHT = 0x00001000;
constexpr DWORD WS_EX_RTLREADING = 0x00002000;
constexpr DWORD WS_EX_LEFTSCROLLBAR = 0x00004000;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
constexpr DWORD WS_EX_NOINHERITLAYOUT = 0x00100000;
constexpr DWORD WS_EX_LAYOUTRTL = 0x00400000;
constexpr DWORD WS_EX_COMPOSITED = 0x02000000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;
constexpr DWORD WS_EX_OVERLAPPEDWINDOW = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// ---- Show commands, positions, relations, window longs ---------------------------------------

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;
constexpr int SW_FORCEMINIMIZE = 11;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOCOPYBITS = 0x0100;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
constexpr UINT SWP_NOSENDCHANGING = 0x0400;
constexpr UINT SWP_NOCLIENTSIZE = 0x0800; // in WINDOWPOS: the size did not change
constexpr UINT SWP_NOCLIENTMOVE = 0x1000; // in WINDOWPOS: the position did not change
constexpr UINT SWP_DEFERERASE = 0x2000;
constexpr UINT SWP_ASYNCWINDOWPOS = 0x4000;
constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
constexpr UINT SWP_NOREPOSITION = SWP_NOOWNERZORDER;

inline HWND const HWND_TOP = reinterpret_cast<HWND>(static_cast<std::intptr_t>(0));
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(static_cast<std::intptr_t>(1));
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;

constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GWL_WNDPROC = GWLP_WNDPROC;
constexpr int GWL_HINSTANCE = GWLP_HINSTANCE;
constexpr int GWL_ID = GWLP_ID;
constexpr int GWL_USERDATA = GWLP_USERDATA;

// ---- Class registration -----------------------------------------------------------------------

// Classes are process-wide and looked up by name (case-insensitive) or by atom (MAKEINTATOM).
// 0 with ERROR_CLASS_ALREADY_EXISTS for a name in use, ERROR_INVALID_PARAMETER for a wrong
// cbSize, a missing name or procedure.
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
ATOM RegisterClassW(const WNDCLASSW* wc);
// FALSE with ERROR_CLASS_DOES_NOT_EXIST, or ERROR_CLASS_HAS_WINDOWS while windows of it exist.
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// Fills *wc (cbSize is kept) and returns the class atom, or 0 with ERROR_CLASS_DOES_NOT_EXIST.
BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSEXW wc);

// ---- Windows ----------------------------------------------------------------------------------

// Creates the window on the calling thread and sends WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE
// (lParam the CREATESTRUCTW). WM_NCCREATE answering FALSE (then WM_NCDESTROY follows) or
// WM_CREATE answering -1 (then the window is destroyed as by DestroyWindow) makes the result
// NULL. With WS_CHILD, parent is the parent; otherwise a non-null parent becomes the owner.
// WS_VISIBLE shows the window after WM_CREATE.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Destroys the owned windows first, then sends WM_DESTROY, destroys the children and sends
// WM_NCDESTROY; posted messages still queued for the window are dropped (see
// SetDroppedMessageHandler), its timers end and the handle becomes invalid. Posting to the
// window fails from the moment destruction starts. Only the owner thread may destroy a window
// (FALSE with ERROR_ACCESS_DENIED otherwise).
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// WM_CLOSE destroys the window; WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE and SC_MINIMIZE,
// SC_MAXIMIZE and SC_RESTORE show the window accordingly; WM_NCCREATE and WM_NCACTIVATE answer
// TRUE, WM_NCHITTEST HTCLIENT; WM_WINDOWPOSCHANGED sends WM_MOVE and WM_SIZE for what changed;
// everything else answers 0.
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The owner thread's id; *processId (if not null) gets the process id. 0 for an invalid window.
DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
// Copies at most maxCount - 1 characters and a terminating NUL; returns the characters copied.
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);

// The parent of a child window, the owner of a WS_POPUP window, else NULL.
HWND GetParent(HWND hwnd);
HWND GetWindow(HWND hwnd, UINT command);
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL IsChild(HWND parent, HWND hwnd);

// Negative indexes are the GWL_/GWLP_ values; 0 and up read the class's cbWndExtra bytes. The
// setters return the previous value. 0 with ERROR_INVALID_INDEX for an unknown index.
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
LONG GetWindowLongW(HWND hwnd, int index);
LONG SetWindowLongW(HWND hwnd, int index, LONG value);

// Visibility, placement and state. Without a display these are plain state; with one the backend
// follows them. ShowWindow returns whether the window was visible before and sends WM_SHOWWINDOW
// when that changes, and WM_SIZE when the minimised/maximised state changes.
BOOL ShowWindow(HWND hwnd, int command);
// TRUE when the window and all its parents carry WS_VISIBLE.
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
// Screen coordinates (a child's position is kept relative to its parent).
BOOL GetWindowRect(HWND hwnd, LPRECT rect);
// (0, 0, width, height): these windows draw their own frame.
BOOL GetClientRect(HWND hwnd, LPRECT rect);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// Moves, sizes, shows or hides and orders the window; sends WM_WINDOWPOSCHANGED when anything
// changed. HWND_TOPMOST and HWND_NOTOPMOST set and clear WS_EX_TOPMOST; every z-order change
// brings the window to the top of its band except HWND_BOTTOM.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// The visible window of the process at a screen point: the top-level one on top there (topmost
// band first, then the latest raised, an owned window above its owner), then its deepest
// visible child there. NULL over no window of the process.
HWND WindowFromPoint(POINT point);

namespace platform
{
// The seam to a display. The core keeps all window state itself and tells the backend what
// changed; calls come on the thread that made the change, with no lock held, and a backend that
// needs its own thread marshals them itself. The headless backend (the default) does nothing.
class WindowBackend
{
public:
    virtual ~WindowBackend() = default;

    // A window was created (after WM_CREATE succeeded) and is about to be destroyed.
    virtual void CreateNative(HWND hwnd) {}
    virtual void DestroyNative(HWND hwnd) {}
    // The window was shown or hidden (command is the SW_ value, SW_HIDE to hide).
    virtual void Show(HWND hwnd, int command) {}
    // Position (screen coordinates) or size changed.
    virtual void Move(HWND hwnd, const RECT& windowRect) {}
    // Raised (HWND_TOP, HWND_TOPMOST, HWND_NOTOPMOST) or lowered (HWND_BOTTOM).
    virtual void Restack(HWND hwnd, HWND insertAfter) {}
    virtual void SetTitle(HWND hwnd, const std::wstring& title) {}
    // Part of the window needs drawing again (rect null: all of it).
    virtual void Invalidate(HWND hwnd, const RECT* rect) {}
    // GWL_STYLE or GWL_EXSTYLE changed after the window was created.
    virtual void StyleChanged(HWND hwnd) {}

    // Native event integration. The core calls Wait on a thread whose queue holds nothing to
    // retrieve. A backend that runs native events on that thread handles them, returns when
    // Wake(thread) was called for it or timeoutMs passed, and answers true; a Wake that comes
    // before the Wait makes that Wait return at once. Answering false (the default) lets the
    // core sleep on its own condition variable. Wake is called from any thread after something
    // was queued for thread threadId.
    virtual bool Wait(DWORD timeoutMs) { return false; }
    virtual void Wake(DWORD threadId) {}
    // Handles the native events that are ready now, without waiting. The core calls it on the
    // UI thread before it hands out a WM_TIMER: input and painting go before timers.
    virtual void DispatchPending() {}
};

// Installs the backend for all windows (nullptr: the headless backend). Returns the previous
// one. Set it before the first window is created.
WindowBackend* SetWindowBackend(WindowBackend* backend);
WindowBackend& GetWindowBackend();

namespace headless
{
// What the headless backend shows of a window, for tests.
struct WindowSnapshot
{
    bool visible = false; // IsWindowVisible
    bool minimized = false;
    bool maximized = false;
    bool topmost = false;
    RECT rect{};        // GetWindowRect
    std::wstring title; // GetWindowTextW
    // Raised windows get increasing stamps; lowered ones negative stamps.
    long long zStamp = 0;
};
bool Snapshot(HWND hwnd, WindowSnapshot* snapshot);
// Delivers input as a display would: queued for the window's thread, stamped with the current
// time; mouse messages also carry their position in MSG::pt.
BOOL InjectMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
} // namespace headless
} // namespace platform
