#include "platform/gtk/NativeWindow.h"

#include "platform/Gdi.h"
#include "platform/Utf.h"
#include "platform/gtk/GtkBackend.h"

#include <algorithm>

namespace platform
{
namespace
{
constexpr size_t kMaxReplaced = 16;

bool Minimizes(int command)
{
    return command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE ||
           command == SW_FORCEMINIMIZE;
}

bool Activates(int command)
{
    return command == SW_SHOW || command == SW_SHOWNORMAL || command == SW_RESTORE ||
           command == SW_SHOWMAXIMIZED || command == SW_SHOWDEFAULT;
}
} // namespace

NativeWindow::NativeWindow(GtkBackend& display, HWND hwnd, GdkVisual* visual)
    : m_display(display), m_hwnd(hwnd),
      m_widget(GTK_WIDGET(g_object_ref_sink(gtk_window_new(GTK_WINDOW_TOPLEVEL)))), m_rgba(visual != nullptr),
      m_pointer(*this), m_keyboard(hwnd)
{
    if (visual != nullptr)
        gtk_widget_set_visual(m_widget.get(), visual);
    gtk_widget_set_app_paintable(m_widget.get(), TRUE);
    gtk_window_set_decorated(GTK_WINDOW(m_widget.get()), FALSE);
    gtk_widget_set_can_focus(m_widget.get(), TRUE);
    g_signal_connect(m_widget.get(), "draw", G_CALLBACK(&NativeWindow::OnDraw), this);
    g_signal_connect(m_widget.get(), "configure-event", G_CALLBACK(&NativeWindow::OnConfigure), this);
    g_signal_connect(m_widget.get(), "window-state-event", G_CALLBACK(&NativeWindow::OnWindowState), this);
    g_signal_connect(m_widget.get(), "delete-event", G_CALLBACK(&NativeWindow::OnDelete), this);
    g_signal_connect(m_widget.get(), "focus-in-event", G_CALLBACK(&NativeWindow::OnFocusIn), this);
    g_signal_connect(m_widget.get(), "focus-out-event", G_CALLBACK(&NativeWindow::OnFocusOut), this);
    g_signal_connect(m_widget.get(), "realize", G_CALLBACK(&NativeWindow::OnRealize), this);
    m_pointer.Connect(m_widget.get());
    m_keyboard.Connect(m_widget.get());
    ApplyStyles();
    WCHAR title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    SetTitle(title);
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    Move(rect);
}

NativeWindow::~NativeWindow()
{
    Detach();
    gtk_widget_destroy(m_widget.get());
    // Freed before the pointer and keyboard handlers it was made with go.
    m_widget.reset();
}

void NativeWindow::Detach()
{
    // No event of the dying widget may reach a window procedure.
    g_signal_handlers_disconnect_by_data(m_widget.get(), this);
    g_signal_handlers_disconnect_by_data(m_widget.get(), &m_pointer);
    g_signal_handlers_disconnect_by_data(m_widget.get(), &m_keyboard);
    gtk_widget_hide(m_widget.get());
}

void NativeWindow::ApplyStyles()
{
    const auto style = static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE));
    GtkWindow* window = Window();
    const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0 && (exStyle & WS_EX_APPWINDOW) == 0;
    gtk_window_set_skip_taskbar_hint(window, tool ? TRUE : FALSE);
    gtk_window_set_skip_pager_hint(window, tool ? TRUE : FALSE);
    gtk_window_set_type_hint(window, tool ? GDK_WINDOW_TYPE_HINT_UTILITY : GDK_WINDOW_TYPE_HINT_NORMAL);
    gtk_window_set_keep_above(window, (exStyle & WS_EX_TOPMOST) != 0 ? TRUE : FALSE);
    gtk_window_set_accept_focus(window, (exStyle & WS_EX_NOACTIVATE) != 0 ? FALSE : TRUE);
    m_resizable = (style & WS_THICKFRAME) != 0;
    const HWND owner = GetWindow(m_hwnd, GW_OWNER);
    if (NativeWindow* ownerWindow = owner != nullptr ? m_display.FindRoot(owner) : nullptr)
        gtk_window_set_transient_for(window, ownerWindow->Window());
}

void NativeWindow::Restyle()
{
    ApplyStyles();
    if (m_resizable)
    {
        gtk_window_set_geometry_hints(Window(), nullptr, nullptr, static_cast<GdkWindowHints>(0));
        return;
    }
    RECT rect{};
    GetWindowRect(m_hwnd, &rect);
    ApplySizeHints(std::max<int>(rect.right - rect.left, 1), std::max<int>(rect.bottom - rect.top, 1));
}

void NativeWindow::ApplySizeHints(int width, int height)
{
    // GTK keeps resizable windows resizable by code; the user is kept out through the hints.
    if (m_resizable)
        return;
    GdkGeometry hints{};
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    gtk_window_set_geometry_hints(Window(), nullptr, &hints,
                                  static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

template <class Change> void NativeWindow::FromDisplay(Change&& change)
{
    ++m_fromDisplay;
    change();
    --m_fromDisplay;
}

void NativeWindow::Show(int command)
{
    if (m_fromDisplay > 0)
        return;
    GtkWindow* window = Window();
    if (command == SW_HIDE)
    {
        gtk_widget_hide(m_widget.get());
        return;
    }
    gtk_window_set_focus_on_map(window, Activates(command) ? TRUE : FALSE);
    gtk_widget_show(m_widget.get());
    if (Minimizes(command))
    {
        gtk_window_iconify(window);
        return;
    }
    gtk_window_deiconify(window);
    if (command == SW_SHOWMAXIMIZED)
        gtk_window_maximize(window);
    else if (command == SW_RESTORE || command == SW_SHOWNORMAL)
        gtk_window_unmaximize(window);
    if (Activates(command))
        Present();
}

void NativeWindow::Move(const RECT& rect)
{
    if (m_fromDisplay > 0)
        return;
    const int width = std::max<int>(rect.right - rect.left, 1);
    const int height = std::max<int>(rect.bottom - rect.top, 1);
    ApplySizeHints(width, height);
    if (m_requested && m_replaced.size() < kMaxReplaced)
        m_replaced.push_back(
            SIZE{m_requested->right - m_requested->left, m_requested->bottom - m_requested->top});
    m_requested = RECT{rect.left, rect.top, rect.left + width, rect.top + height};
    gtk_window_move(Window(), rect.left, rect.top);
    gtk_window_resize(Window(), width, height);
}

void NativeWindow::Restack(HWND insertAfter)
{
    GdkWindow* gdk = Gdk();
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)
    {
        gtk_window_set_keep_above(Window(), insertAfter == HWND_TOPMOST ? TRUE : FALSE);
        Present();
    }
    else if (gdk != nullptr && insertAfter == HWND_BOTTOM)
        gdk_window_lower(gdk);
    else if (gdk != nullptr)
        gdk_window_raise(gdk);
}

void NativeWindow::Present()
{
    if (gtk_widget_get_visible(m_widget.get()))
        gtk_window_present_with_time(Window(), gtk_get_current_event_time());
}

void NativeWindow::SetTitle(const std::wstring& title)
{
    gtk_window_set_title(Window(), ToDisplayUtf8(title).c_str());
}

void NativeWindow::Invalidate(const RECT* rect)
{
    // During a draw the damaged area is already being painted.
    if (m_drawContext != nullptr)
        return;
    if (rect == nullptr)
        gtk_widget_queue_draw(m_widget.get());
    else if (rect->right > rect->left && rect->bottom > rect->top)
        gtk_widget_queue_draw_area(m_widget.get(), rect->left, rect->top, rect->right - rect->left,
                                   rect->bottom - rect->top);
}

void NativeWindow::SetOpacity(double opacity)
{
    gtk_widget_set_opacity(m_widget.get(), opacity);
}

void NativeWindow::SetIcon(GdkPixbuf* icon)
{
    gtk_window_set_icon(Window(), icon);
}

void NativeWindow::SetCursor(GdkCursor* cursor)
{
    if (GdkWindow* gdk = Gdk())
        gdk_window_set_cursor(gdk, cursor);
}

POINT NativeWindow::ClientPoint(double xRoot, double yRoot) const
{
    int x = 0;
    int y = 0;
    if (GdkWindow* gdk = Gdk())
        gdk_window_get_origin(gdk, &x, &y);
    else
    {
        RECT rect{};
        GetWindowRect(m_hwnd, &rect);
        x = rect.left;
        y = rect.top;
    }
    return POINT{static_cast<LONG>(xRoot) - x, static_cast<LONG>(yRoot) - y};
}

void NativeWindow::Draw(cairo_t* cr)
{
    if (m_rgba)
    {
        // Translucent windows start from nothing, so that shadows keep their alpha.
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    GdkRectangle area{};
    if (!gdk_cairo_get_clip_rectangle(cr, &area))
        return;
    const RECT damaged{area.x, area.y, area.x + area.width, area.y + area.height};
    m_drawContext = cr;
    InvalidateRect(m_hwnd, &damaged, FALSE);
    SendMessageW(m_hwnd, WM_PAINT, 0, 0);
    // A procedure that did not paint must not be asked again for what GTK has drawn.
    ValidateRect(m_hwnd, &damaged);
    m_drawContext = nullptr;
}

bool NativeWindow::IsStaleEcho(const GdkEventConfigure& event)
{
    if (!m_requested)
        return false;
    const RECT& asked = *m_requested;
    const bool sizeAsked =
        event.width == asked.right - asked.left && event.height == asked.bottom - asked.top;
    const bool stale = !sizeAsked && std::any_of(m_replaced.begin(), m_replaced.end(), [&](const SIZE& size) {
        return size.cx == event.width && size.cy == event.height;
    });
    // The request was met, or the display made a change of its own: nothing is awaited now.
    if (!stale)
    {
        m_requested.reset();
        m_replaced.clear();
    }
    return stale;
}

void NativeWindow::Configured(const GdkEventConfigure& event)
{
    // Taking an echo for the display's word would size the window back for a moment, and a
    // layout made meanwhile would not match what the screen shows.
    if (IsStaleEcho(event))
        return;
    RECT now{};
    GetWindowRect(m_hwnd, &now);
    if (now.left == event.x && now.top == event.y && now.right - now.left == event.width &&
        now.bottom - now.top == event.height)
        return;
    FromDisplay([&] {
        SetWindowPos(m_hwnd, nullptr, event.x, event.y, event.width, event.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void NativeWindow::StateChanged(const GdkEventWindowState& event)
{
    const bool iconic = (event.new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    const bool zoomed = (event.new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    if (iconic == (IsIconic(m_hwnd) != FALSE) && zoomed == (IsZoomed(m_hwnd) != FALSE))
        return;
    const int command = iconic ? SW_SHOWMINNOACTIVE : zoomed ? SW_SHOWMAXIMIZED : SW_RESTORE;
    FromDisplay([&] { ShowWindow(m_hwnd, command); });
}

void NativeWindow::Focused(bool in)
{
    m_keyboard.Focused(in);
    if (in)
    {
        SendMessageW(m_hwnd, WM_NCACTIVATE, TRUE, 0);
        SendMessageW(m_hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
        SendMessageW(m_hwnd, WM_SETFOCUS, 0, 0);
    }
    else
    {
        SendMessageW(m_hwnd, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(m_hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        SendMessageW(m_hwnd, WM_KILLFOCUS, 0, 0);
    }
}

gboolean NativeWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) noexcept
try
{
    static_cast<NativeWindow*>(self)->Draw(cr);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean NativeWindow::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self) noexcept
try
{
    static_cast<NativeWindow*>(self)->Configured(*event);
    return FALSE;
}
catch (...)
{
    return FALSE;
}

gboolean NativeWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) noexcept
try
{
    static_cast<NativeWindow*>(self)->StateChanged(*event);
    return FALSE;
}
catch (...)
{
    return FALSE;
}

gboolean NativeWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) noexcept
try
{
    // The procedure decides whether the window goes; GTK never destroys it on its own.
    PostMessageW(static_cast<NativeWindow*>(self)->m_hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean NativeWindow::OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self) noexcept
try
{
    static_cast<NativeWindow*>(self)->Focused(true);
    return FALSE;
}
catch (...)
{
    return FALSE;
}

gboolean NativeWindow::OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer self) noexcept
try
{
    static_cast<NativeWindow*>(self)->Focused(false);
    return FALSE;
}
catch (...)
{
    return FALSE;
}

void NativeWindow::OnRealize(GtkWidget* widget, gpointer self) noexcept
try
{
    static_cast<NativeWindow*>(self)->m_keyboard.Realized(gtk_widget_get_window(widget));
}
catch (...)
{
}
} // namespace platform
