#pragma once
// Mouse input of one native window as Windows messages: buttons (with Windows' own
// double-click rule), motion, the wheel, leave and hover tracking, capture, and the caption
// and border drags that WM_NCHITTEST asks for.

#include "platform/Window.h"

#include <gtk/gtk.h>

namespace platform
{
class NativeWindow;

class PointerInput
{
public:
    explicit PointerInput(NativeWindow& owner);
    ~PointerInput();
    PointerInput(const PointerInput&) = delete;
    PointerInput& operator=(const PointerInput&) = delete;

    void Connect(GtkWidget* widget);

private:
    struct Press
    {
        guint button = 0;
        guint32 time = 0;
        double x = 0;
        double y = 0;
    };

    void Pressed(const GdkEventButton& event);
    void Released(const GdkEventButton& event);
    void Moved(const GdkEventMotion& event);
    void Scrolled(const GdkEventScroll& event);
    void Left(const GdkEventCrossing& event);
    // Starts the window manager's move or resize for a non-client hit; true when it did.
    bool StartDrag(LRESULT hit, const GdkEventButton& event);
    bool IsDoubleClick(const GdkEventButton& event);
    // Where mouse input goes: the capture window of this thread, else this window.
    HWND Target() const;
    void Post(UINT msg, WPARAM keys, double xRoot, double yRoot);
    void RestartHover();
    // GLib's and GTK's handlers: each one catches what the window procedures throw.
    static gboolean HoverElapsed(gpointer self) noexcept;

    static gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer self) noexcept;
    static gboolean OnRelease(GtkWidget*, GdkEventButton* event, gpointer self) noexcept;
    static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self) noexcept;
    static gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer self) noexcept;
    static gboolean OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer self) noexcept;

    NativeWindow& m_owner;
    Press m_lastPress;
    guint m_hoverSource = 0;
};
} // namespace platform
