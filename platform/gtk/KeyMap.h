#pragma once
// Translation tables between GDK's key and button vocabulary and Windows' (no display needed).

#include "platform/Window.h"

#include <gdk/gdk.h>

namespace platform
{
// The virtual key of a keyval; 0 for keys Windows has no code for.
int VirtualKeyOf(guint keyval);
// The keyboard-message lParam: repeat count 1, scan code, the Alt context bit, the previous
// key state and the transition bit.
LPARAM KeyMessageParam(guint16 hardwareKeycode, bool alt, bool wasDown, bool release);
// The MK_ bits of a GDK modifier state.
WPARAM MouseKeyState(guint state);
// The MK_ bit of a GDK button number (1 left, 2 middle, 3 right, 8/9 back/forward).
WPARAM MouseButtonBit(guint button);
// WM_xBUTTONDOWN for a button; up: WM_xBUTTONUP; doubleClick: WM_xBUTTONDBLCLK. 0 when unknown.
UINT MouseButtonMessage(guint button, bool up, bool doubleClick);
// The control character Windows' keyboard translation gives a key (Return, Escape, Backspace,
// Tab, Ctrl+letter), or 0.
wchar_t ControlCharOf(int virtualKey, bool control);
// The GDK edge of a sizing hit-test answer; false for any other answer.
bool ResizeEdgeOf(LRESULT hit, GdkWindowEdge* edge);
} // namespace platform
