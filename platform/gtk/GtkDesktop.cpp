#include "platform/gtk/GtkDesktop.h"

#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/MessageDialog.h"
#include "platform/gtk/ModalLoop.h"
#include "platform/gtk/MouseTracking.h"
#include "platform/gtk/NativeWindow.h"

#include <map>
#include <string>

namespace platform
{
namespace
{
GdkSeat* DefaultSeat()
{
    return gdk_display_get_default_seat(gdk_display_get_default());
}

GdkDevice* Pointer()
{
    return gdk_seat_get_pointer(DefaultSeat());
}

// Cursors live as long as the display: one per name, made when first shown.
GdkCursor* CursorNamed(const char* name)
{
    static std::map<std::string, GdkCursor*> cache;
    const std::string key = name != nullptr ? name : "none";
    auto it = cache.find(key);
    if (it == cache.end())
    {
        GdkDisplay* display = gdk_display_get_default();
        GdkCursor* made = gdk_cursor_new_from_name(display, key.c_str());
        if (made == nullptr)
            made = gdk_cursor_new_from_name(display, "default");
        it = cache.emplace(key, made).first;
    }
    return it->second;
}

RECT RectOf(const GdkRectangle& area)
{
    return RECT{area.x, area.y, area.x + area.width, area.y + area.height};
}
} // namespace

bool GtkDesktop::IsCompositing() const
{
    return m_display.IsCompositing();
}

bool GtkDesktop::ReadScreen(ScreenArea& screen)
{
    if (!m_display.OnUiThread())
        return false;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr)
        return false;
    GdkRectangle geometry{};
    GdkRectangle work{};
    gdk_monitor_get_geometry(monitor, &geometry);
    gdk_monitor_get_workarea(monitor, &work);
    screen.monitor = RectOf(geometry);
    screen.workArea = RectOf(work);
    screen.monitors = gdk_display_get_n_monitors(display);
    return true;
}

void GtkDesktop::Present(HWND root)
{
    m_display.RunOnUi([this, root] {
        if (NativeWindow* window = m_display.Find(root))
            window->Present();
    });
}

void GtkDesktop::SetIcon(HWND hwnd, GObjectPtr<GdkPixbuf> image)
{
    // Work handed to the UI thread must be copyable: the reference travels bare and is owned
    // again there.
    m_display.RunOnUi([this, hwnd, raw = image.release()] {
        const GObjectPtr<GdkPixbuf> owned(raw);
        if (NativeWindow* window = m_display.FindRoot(hwnd))
            window->SetIcon(owned.get());
    });
}

void GtkDesktop::SetOpacity(HWND hwnd, double opacity)
{
    if (!m_display.IsCompositing())
        return;
    m_display.RunOnUi([this, hwnd, opacity] {
        if (NativeWindow* window = m_display.Find(hwnd))
            window->SetOpacity(opacity);
    });
}

void GtkDesktop::ShowCursor(const char* name)
{
    m_display.RunOnUi([this, name] {
        const HWND capture = MouseTracking::Instance().Capture();
        NativeWindow* window = capture != nullptr ? m_display.FindRoot(capture) : m_display.PointerWindow();
        if (window != nullptr)
            window->SetCursor(CursorNamed(name));
    });
}

bool GtkDesktop::ReadPointer(POINT& point)
{
    if (!m_display.OnUiThread())
        return false;
    gint x = 0;
    gint y = 0;
    gdk_device_get_position(Pointer(), nullptr, &x, &y);
    point = POINT{x, y};
    return true;
}

void GtkDesktop::WarpPointer(POINT point)
{
    m_display.RunOnUi([point] { gdk_device_warp(Pointer(), gdk_screen_get_default(), point.x, point.y); });
}

void GtkDesktop::GrabPointer(HWND hwnd)
{
    m_display.RunOnUi([this, hwnd] {
        NativeWindow* window = m_display.FindRoot(hwnd);
        if (window != nullptr && window->Gdk() != nullptr)
            gdk_seat_grab(DefaultSeat(), window->Gdk(), GDK_SEAT_CAPABILITY_ALL_POINTING, TRUE, nullptr,
                          nullptr, nullptr, nullptr);
    });
}

void GtkDesktop::UngrabPointer()
{
    m_display.RunOnUi([] { gdk_seat_ungrab(DefaultSeat()); });
}

int GtkDesktop::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    if (!m_display.OnUiThread())
        return ModalLoop::OnUiThread(m_display, [this, owner, text, caption, type] {
            return MessageDialog(m_display, owner).Run(text, caption, type);
        });
    return MessageDialog(m_display, owner).Run(text, caption, type);
}
} // namespace platform
