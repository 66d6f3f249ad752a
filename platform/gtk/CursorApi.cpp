// System cursors and the pointer position. A cursor handle names one entry of a fixed table;
// with a display it becomes the GDK cursor of the same meaning.
#include "GtkBackend.h"
#include "MouseTracking.h"
#include "NativeWindow.h"
#include "platform/Input.h"
#include "platform/WinError.h"

#include <array>
#include <atomic>
#include <map>
#include <string>

using platform::GtkBackend;

namespace
{
struct SystemCursor
{
    ULONG_PTR id;
    const char* name; // the CSS cursor name
};

constexpr std::array<SystemCursor, 12> kCursors{{
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

GdkCursor* GdkCursorOf(const SystemCursor* cursor)
{
    static std::map<std::string, GdkCursor*> cache;
    const std::string name = cursor != nullptr ? cursor->name : "none";
    auto it = cache.find(name);
    if (it == cache.end())
    {
        GdkDisplay* display = gdk_display_get_default();
        GdkCursor* made = gdk_cursor_new_from_name(display, name.c_str());
        if (made == nullptr)
            made = gdk_cursor_new_from_name(display, "default");
        it = cache.emplace(name, made).first;
    }
    return it->second;
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

GdkDevice* Pointer()
{
    return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
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
    GtkBackend* backend = GtkBackend::Active();
    if (backend == nullptr)
        return previous;
    backend->RunOnUi([backend, cursor] {
        const HWND capture = platform::MouseTracking::Instance().Capture();
        platform::NativeWindow* window =
            capture != nullptr ? backend->FindRoot(capture) : backend->PointerWindow();
        if (window != nullptr)
            window->SetCursor(GdkCursorOf(CursorOf(cursor)));
    });
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
    GtkBackend* backend = GtkBackend::Active();
    if (backend != nullptr && backend->OnUiThread())
    {
        gint x = 0;
        gint y = 0;
        gdk_device_get_position(Pointer(), nullptr, &x, &y);
        StorePointer(POINT{x, y});
    }
    *point = LoadPointer();
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    StorePointer(POINT{x, y});
    if (GtkBackend* backend = GtkBackend::Active())
        backend->RunOnUi([x, y] { gdk_device_warp(Pointer(), gdk_screen_get_default(), x, y); });
    return TRUE;
}
