#pragma once
// Window-message input turned into the GDK events a WebKit view handles. Every event is for
// the view's own GdkWindow; the caller frees it with gdk_event_free.

#include "wke.h"

#include <gtk/gtk.h>

namespace wkeimpl
{
// WM_MOUSEMOVE, WM_xBUTTONDOWN/UP at view coordinates with MK_ flags; null for messages the
// view does not take (double clicks: WebKit counts clicks itself).
GdkEvent* MouseEvent(GtkWidget* view, unsigned message, int x, int y, unsigned flags);
GdkEvent* ScrollEvent(GtkWidget* view, int x, int y, int delta, unsigned flags);
// A key of the keyboard by its virtual-key code; null for keys that type characters (those
// come once, as CharEvent).
GdkEvent* KeyEvent(GtkWidget* view, unsigned virtualKey, bool press);
// A typed character; null for control characters (Enter, Backspace, Tab come as keys).
GdkEvent* CharEvent(GtkWidget* view, unsigned charCode, bool press);
GdkEvent* FocusEvent(GtkWidget* view, bool in);
} // namespace wkeimpl
