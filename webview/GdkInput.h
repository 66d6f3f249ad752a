#pragma once
// Window-message input turned into the GDK events a WebKit view handles. Every event is for
// the view's own GdkWindow.

#include "wke.h"

#include "platform/Owned.h"

#include <gtk/gtk.h>

namespace wkeimpl
{
using GdkEventPtr = std::unique_ptr<GdkEvent, platform::FreeWith<gdk_event_free>>;

// WM_MOUSEMOVE, WM_xBUTTONDOWN/UP at view coordinates with MK_ flags; null for messages the
// view does not take (double clicks: WebKit counts clicks itself).
GdkEventPtr MouseEvent(GtkWidget* view, unsigned message, int x, int y, unsigned flags);
GdkEventPtr ScrollEvent(GtkWidget* view, int x, int y, int delta, unsigned flags);
// A key of the keyboard by its virtual-key code; null for keys that type characters (those
// come once, as CharEvent).
GdkEventPtr KeyEvent(GtkWidget* view, unsigned virtualKey, bool press);
// A typed character; null for control characters (Enter, Backspace, Tab come as keys).
GdkEventPtr CharEvent(GtkWidget* view, unsigned charCode, bool press);
GdkEventPtr FocusEvent(GtkWidget* view, bool in);
} // namespace wkeimpl
