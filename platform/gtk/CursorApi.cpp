// System cursors and the pointer position. A cursor handle names one entry of a fixed table;
// the desktop shows it by its CSS name.
#include "platform/Input.h"
#include "platform/WinError.h"
#include "platform/gtk/DesktopBackend.h"

#include <array>
#include <atomic>
#include <map>
#include <string>

namespace
{
struct SystemCursor
{
    ULONG_PTR id;
    const char* name; // the CSS cursor name
};

constexpr std::array<SystemCursor, 13> kCursors{{
    {32512, "default"},
    {32513, "text"},
    {32514, "wait"},
    {32515, "crosshair"},
    {32642, "nwse-resize"},
    {32643, "nesw-resize"},
    {32644, "ew-resize"},
    {32645, "ns-resize"},
    {32646, "move"},
    {32648, "not-allowed"},
    {32649, "pointer"},
    {32650, "progress"},
    {32651, "help"},
}};

std::atomic<HCURSOR> g_current{nullptr};
std::atomic<long long> g_pointer{0}; // last known position, packed x:y

HCURSOR HandleOf(const SystemCursor& cursor)
{
    return reinterpret_cast<HCURSOR>(const_cast<SystemCursor*>(&cursor));
}

const SystemCursor* CursorOf(HCURSOR handle)
{
    for (const SystemCursor& cursor : kCursors)
    {
        if (HandleOf(cursor) == handle)
            return &cursor;
    }
    return nullptr;
}

void StorePointer(POINT point)
{
    g_pointer.store((static_cast<long long>(point.x) << 32) | static_cast<unsigned int>(point.y));
}

POINT LoadPointer()
{
    const long long packed = g_pointer.load();
    return POINT{static_cast<LONG>(packed >> 32), static_cast<LONG>(packed & 0xFFFFFFFF)};
}
} // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    const auto id = reinterpret_cast<ULONG_PTR>(name);
    if (instance == nullptr)
    {
        for (const SystemCursor& cursor : kCursors)
        {
            if (cursor.id == id)
                return HandleOf(cursor);
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = g_current.exchange(cursor);
    const SystemCursor* shown = CursorOf(cursor);
    platform::Desktop().ShowCursor(shown != nullptr ? shown->name : nullptr);
    return previous;
}

HCURSOR GetCursor()
{
    return g_current.load();
}

BOOL GetCursorPos(LPPOINT point)
{
    if (point == nullptr)
        return FALSE;
    POINT now{};
    if (platform::Desktop().ReadPointer(now))
        StorePointer(now);
    *point = LoadPointer();
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    StorePointer(POINT{x, y});
    platform::Desktop().WarpPointer(POINT{x, y});
    return TRUE;
}
