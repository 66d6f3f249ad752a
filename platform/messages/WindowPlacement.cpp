// Visibility, placement, window state and the default window procedure.
#include "platform/WinError.h"
#include "platform/Window.h"
#include "platform/messages/PaintHook.h"
#include "platform/messages/WindowTable.h"

using namespace platform;

namespace
{
WindowTable& Table()
{
    return WindowTable::Instance();
}

bool HasStyle(HWND hwnd, DWORD bits)
{
    bool has = false;
    Table().Read(hwnd, [&](const WindowRecord& r) { has = (r.style & bits) == bits; });
    return has;
}

// The style bits a show command leaves; minimised and maximised exclude each other.
DWORD StyleAfterShow(DWORD style, int command)
{
    switch (command)
    {
    case SW_HIDE:
        return style & ~WS_VISIBLE;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        return (style | WS_VISIBLE | WS_MINIMIZE) & ~WS_MAXIMIZE;
    case SW_SHOWMAXIMIZED:
        return (style | WS_VISIBLE | WS_MAXIMIZE) & ~WS_MINIMIZE;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        return (style | WS_VISIBLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
    default:
        return style | WS_VISIBLE;
    }
}

WPARAM SizeKind(DWORD style)
{
    if ((style & WS_MINIMIZE) != 0)
        return SIZE_MINIMIZED;
    return (style & WS_MAXIMIZE) != 0 ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

LPARAM SizeOf(const RECT& rect)
{
    return MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top);
}

RECT ScreenRectLocked(const WindowRecord& record)
{
    RECT rect = record.rect;
    for (const WindowRecord* r = &record; (r->style & WS_CHILD) != 0;)
    {
        r = Table().FindLocked(r->parent);
        if (r == nullptr)
            break;
        rect.left += r->rect.left;
        rect.right += r->rect.left;
        rect.top += r->rect.top;
        rect.bottom += r->rect.top;
    }
    return rect;
}

void Restack(WindowRecord& r, HWND insertAfter)
{
    if (insertAfter == HWND_TOPMOST)
        r.exStyle |= WS_EX_TOPMOST;
    else if (insertAfter == HWND_NOTOPMOST)
        r.exStyle &= ~WS_EX_TOPMOST;
    const long long stamp = Table().NextZStamp();
    r.zStamp = insertAfter == HWND_BOTTOM ? -stamp : stamp;
}

struct PlacementChange
{
    RECT before{};
    RECT after{};
    DWORD styleBefore = 0;
    DWORD styleAfter = 0;
    bool restacked = false;
};

void ApplyPlacement(WindowRecord& r, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                    PlacementChange& change)
{
    change.before = r.rect;
    change.styleBefore = r.style;
    if ((flags & SWP_NOMOVE) == 0)
        r.rect = RECT{x, y, x + (r.rect.right - r.rect.left), y + (r.rect.bottom - r.rect.top)};
    if ((flags & SWP_NOSIZE) == 0)
        r.rect = RECT{r.rect.left, r.rect.top, r.rect.left + std::max(cx, 0), r.rect.top + std::max(cy, 0)};
    if ((flags & SWP_NOZORDER) == 0)
        Restack(r, insertAfter);
    if ((flags & SWP_SHOWWINDOW) != 0)
        r.style |= WS_VISIBLE;
    if ((flags & SWP_HIDEWINDOW) != 0)
        r.style &= ~WS_VISIBLE;
    change.after = r.rect;
    change.styleAfter = r.style;
    change.restacked = (flags & SWP_NOZORDER) == 0;
}

LRESULT SysCommand(HWND hwnd, WPARAM command)
{
    switch (command & 0xFFF0)
    {
    case SC_CLOSE:
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        break;
    case SC_MINIMIZE:
        ShowWindow(hwnd, SW_MINIMIZE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(hwnd, SW_MAXIMIZE);
        break;
    case SC_RESTORE:
        ShowWindow(hwnd, SW_RESTORE);
        break;
    default:
        break;
    }
    return 0;
}

void SendMoveAndSize(HWND hwnd, const WINDOWPOS& pos)
{
    DWORD style = 0;
    Table().Read(hwnd, [&](const WindowRecord& r) { style = r.style; });
    if ((pos.flags & SWP_NOCLIENTMOVE) == 0)
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(pos.x, pos.y));
    if ((pos.flags & SWP_NOCLIENTSIZE) == 0)
        SendMessageW(hwnd, WM_SIZE, SizeKind(style), MAKELPARAM(pos.cx, pos.cy));
}
} // namespace

BOOL ShowWindow(HWND hwnd, int command)
{
    DWORD before = 0;
    DWORD after = 0;
    RECT rect{};
    if (!Table().Read(hwnd, [&](const WindowRecord& r) {
            before = r.style;
            after = StyleAfterShow(r.style, command);
            rect = r.rect;
        }))
        return FALSE;
    const bool wasVisible = (before & WS_VISIBLE) != 0;
    // Applied after WM_SHOWWINDOW so that its handler still sees the old state, as on Windows.
    if (wasVisible != ((after & WS_VISIBLE) != 0))
        SendMessageW(hwnd, WM_SHOWWINDOW, wasVisible ? FALSE : TRUE, 0);
    Table().Write(hwnd, [&](WindowRecord& r) {
        r.style = (r.style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE)) |
                  (after & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE));
    });
    GetWindowBackend().Show(hwnd, command);
    if (!wasVisible && (after & WS_VISIBLE) != 0)
        InvalidateWindowPaint(hwnd);
    if (SizeKind(before) != SizeKind(after))
        SendMessageW(hwnd, WM_SIZE, SizeKind(after), SizeOf(rect));
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    std::shared_lock lock(Table().Lock());
    const WindowRecord* r = Table().FindLocked(hwnd);
    for (; r != nullptr; r = (r->style & WS_CHILD) != 0 ? Table().FindLocked(r->parent) : nullptr)
    {
        if ((r->style & WS_VISIBLE) == 0)
            return FALSE;
        if ((r->style & WS_CHILD) == 0)
            return TRUE;
    }
    return FALSE;
}

BOOL IsIconic(HWND hwnd)
{
    return HasStyle(hwnd, WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd)
{
    return HasStyle(hwnd, WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    bool wasDisabled = false;
    bool changed = false;
    Table().Write(hwnd, [&](WindowRecord& r) {
        wasDisabled = (r.style & WS_DISABLED) != 0;
        r.style = enable ? (r.style & ~WS_DISABLED) : (r.style | WS_DISABLED);
        changed = wasDisabled == (enable != FALSE);
    });
    if (changed)
        SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    bool disabled = true;
    Table().Read(hwnd, [&](const WindowRecord& r) { disabled = (r.style & WS_DISABLED) != 0; });
    return disabled ? FALSE : TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    if (rect == nullptr)
        return FALSE;
    return Table().Read(hwnd, [&](const WindowRecord& r) { *rect = ScreenRectLocked(r); }) ? TRUE : FALSE;
}

namespace
{
bool Contains(const RECT& rect, POINT point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

bool OwnedBy(const WindowRecord& window, HWND owner)
{
    for (const WindowRecord* r = &window; r != nullptr && r->owner != nullptr;
         r = Table().FindLocked(r->owner))
    {
        if (r->owner == owner)
            return true;
    }
    return false;
}

// Whether top-level window a stands above b.
bool AboveLocked(const WindowRecord& a, const WindowRecord& b)
{
    const bool aTop = (a.exStyle & WS_EX_TOPMOST) != 0;
    const bool bTop = (b.exStyle & WS_EX_TOPMOST) != 0;
    if (aTop != bTop)
        return aTop;
    if (a.zStamp != b.zStamp)
        return a.zStamp > b.zStamp;
    return OwnedBy(a, b.hwnd);
}

bool ShownAt(const WindowRecord& r, POINT point)
{
    return (r.style & WS_VISIBLE) != 0 && !r.destroying && Contains(ScreenRectLocked(r), point);
}
} // namespace

HWND WindowFromPoint(POINT point)
{
    std::shared_lock lock(Table().Lock());
    const WindowRecord* top = nullptr;
    for (const HWND hwnd :
         Table().WindowsLocked([](const WindowRecord& r) { return (r.style & WS_CHILD) == 0; }))
    {
        const WindowRecord* r = Table().FindLocked(hwnd);
        if (r != nullptr && ShownAt(*r, point) && (top == nullptr || AboveLocked(*r, *top)))
            top = r;
    }
    // Down through the children there; a later child lies over an earlier one.
    for (const WindowRecord* r = top; r != nullptr;)
    {
        const WindowRecord* next = nullptr;
        for (const HWND child : r->children)
        {
            const WindowRecord* c = Table().FindLocked(child);
            if (c != nullptr && ShownAt(*c, point))
                next = c;
        }
        if (next == nullptr)
            return r->hwnd;
        r = next;
    }
    return nullptr;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    if (rect == nullptr)
        return FALSE;
    return Table().Read(hwnd,
                        [&](const WindowRecord& r) {
                            *rect = RECT{0, 0, r.rect.right - r.rect.left, r.rect.bottom - r.rect.top};
                        })
               ? TRUE
               : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
    return SetWindowPos(hwnd, nullptr, x, y, width, height, flags);
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    PlacementChange change;
    RECT screen{};
    if (!Table().Write(hwnd, [&](WindowRecord& r) {
            ApplyPlacement(r, insertAfter, x, y, cx, cy, flags, change);
            screen = ScreenRectLocked(r);
        }))
        return FALSE;
    const bool moved = change.before.left != change.after.left || change.before.top != change.after.top;
    const bool sized = SizeOf(change.before) != SizeOf(change.after);
    const bool shown = ((change.styleBefore ^ change.styleAfter) & WS_VISIBLE) != 0;
    auto& backend = GetWindowBackend();
    if (moved || sized)
        backend.Move(hwnd, screen);
    if (change.restacked)
        backend.Restack(hwnd, insertAfter);
    if (shown)
        backend.Show(hwnd, (change.styleAfter & WS_VISIBLE) != 0 ? SW_SHOWNA : SW_HIDE);
    // A window shown or resized is painted whole, as on Windows.
    if (sized || (shown && (change.styleAfter & WS_VISIBLE) != 0))
        InvalidateWindowPaint(hwnd);
    if (moved || sized || shown || change.restacked)
    {
        WINDOWPOS pos{hwnd,
                      insertAfter,
                      change.after.left,
                      change.after.top,
                      change.after.right - change.after.left,
                      change.after.bottom - change.after.top,
                      flags | (moved ? 0 : SWP_NOCLIENTMOVE) | (sized ? 0 : SWP_NOCLIENTSIZE)};
        SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_NCCREATE:
    case WM_NCACTIVATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        return SysCommand(hwnd, wParam);
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_WINDOWPOSCHANGED:
        if (lParam != 0)
            SendMoveAndSize(hwnd, *reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_SETTEXT:
        return SetWindowTextW(hwnd, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT:
        return GetWindowTextW(hwnd, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return GetWindowTextLengthW(hwnd);
    case WM_PAINT:
        ValidateWindowPaint(hwnd); // unpainted, but no longer due: no WM_PAINT storm
        return 0;
    default:
        return 0;
    }
}
