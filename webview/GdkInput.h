#pragma once
// Window-message input turned into the GDK events a WebKit view handles. Every event is for
// the view's own GdkWindow.

#include "webview/wke.h"

#include "platform/Owned.h"

#include <gtk/gtk.h>

namespace wkeimpl
{
using GdkEventPtr = std::unique_ptr<GdkEvent, platform::FreeWith<gdk_event_free>>;

// WM_MOUSEMOVE, WM_xBUTTONDOWN/UP at view coordinates with MK_ flags; null for messages the
// view does not take (double clicks: WebKit counts clicks itself).
GdkEventPtr MouseEvent(GtkWidget* view, unsigned message, int x, int y, unsigned flags);
GdkEventPtr ScrollEvent(GtkWidget* view, int x, int y, int delta, unsigned flags);
// The GDK modifier state of the WKE_KEY_ bits of a key function's flags.
unsigned KeyState(unsigned flags);
// The keyval a key down of this virtual key gives, with the modifiers of flags: every key that
// types no character (Shift+Tab is ISO_Left_Tab), and a letter or digit held with Ctrl; 0 for
// keys whose character comes once, through CharEvent.
unsigned KeyvalOfKey(unsigned virtualKey, unsigned flags);
// The keyval of a control character (Enter, Tab, Backspace, Escape, Ctrl+letter); 0 for others.
unsigned KeyvalOfControlChar(unsigned charCode);
GdkEventPtr KeyvalEvent(GtkWidget* view, unsigned keyval, unsigned state, bool press);
// A typed character with the Shift of flags; null for control characters.
GdkEventPtr CharEvent(GtkWidget* view, unsigned charCode, unsigned flags, bool press);
GdkEventPtr FocusEvent(GtkWidget* view, bool in);
} // namespace wkeimpl
