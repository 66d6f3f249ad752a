#pragma once
// The GtkWindow behind one top-level HWND: follows the core's state (visibility, placement,
// z-order, title, styles) and reports what the window manager changes back to it, paints by
// sending WM_PAINT during GTK's draw, and turns focus and close requests into messages.

#include "platform/Owned.h"
#include "platform/gtk/KeyboardInput.h"
#include "platform/gtk/PointerInput.h"

#include <gtk/gtk.h>

#include <optional>
#include <vector>

#include <string>

namespace platform
{
class GtkBackend;

class NativeWindow
{
public:
    NativeWindow(GtkBackend& display, HWND hwnd, GdkVisual* visual);
    ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    // The HWND is gone: the widget stops reporting and disappears (it is freed later).
    void Detach();

    HWND Handle() const { return m_hwnd; }
    GtkBackend& Display() const { return m_display; }
    GtkWindow* Window() const { return GTK_WINDOW(m_widget.get()); }
    GdkWindow* Gdk() const { return gtk_widget_get_window(m_widget.get()); }

    void Show(int command);
    void Move(const RECT& rect);
    void Restack(HWND insertAfter);
    // The style bits changed: the display is told again what the window allows.
    void Restyle();
    void Present();
    void SetTitle(const std::wstring& title);
    void Invalidate(const RECT* rect);
    void SetOpacity(double opacity);
    void SetIcon(GdkPixbuf* icon);
    void SetCursor(GdkCursor* cursor);
    // The cairo context of the draw in progress, or nullptr outside one.
    cairo_t* DrawContext() const { return m_drawContext; }
    // Client coordinates of a screen point, from the window's real origin on the display.
    POINT ClientPoint(double xRoot, double yRoot) const;

private:
    void ApplyStyles();
    void ApplySizeHints(int width, int height);
    // Runs change() on the core's state while the backend ignores the echo of it.
    template <class Change> void FromDisplay(Change&& change);
    void Draw(cairo_t* cr);
    void Configured(const GdkEventConfigure& event);
    // True for a configure event that only echoes a size asked before the latest request.
    bool IsStaleEcho(const GdkEventConfigure& event);
    void StateChanged(const GdkEventWindowState& event);
    void Focused(bool in);

    // GTK's handlers: what they call may throw, and nothing may pass through GTK, so each one
    // catches and answers GTK as it would have.
    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self) noexcept;
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self) noexcept;
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) noexcept;
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self) noexcept;
    static gboolean OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self) noexcept;
    static gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer self) noexcept;
    static void OnRealize(GtkWidget*, gpointer self) noexcept;

    GtkBackend& m_display;
    HWND m_hwnd;
    GObjectPtr<GtkWidget> m_widget; // our own reference: freed only after the destroy
    bool m_rgba;
    cairo_t* m_drawContext = nullptr;
    int m_fromDisplay = 0;
    bool m_resizable = false;
    // The geometry last asked of the display and not yet confirmed by it, and the sizes asked
    // before it meanwhile: a configure event that still carries one of those is an echo of a
    // request already replaced, not a change the display made.
    std::optional<RECT> m_requested;
    std::vector<SIZE> m_replaced;
    PointerInput m_pointer;
    KeyboardInput m_keyboard;
};
} // namespace platform
