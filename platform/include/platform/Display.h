#pragma once
// Choosing the display backend and what only a display can answer. Programs call
// InitDisplayBackend once at start, on the thread that runs their message loop; without a
// display (no DISPLAY, or it cannot be opened) every window stays headless.

#include "platform/Window.h"

#include <cstddef>

namespace platform
{
// Installs the GTK backend when a display can be opened (true), otherwise keeps the headless
// one (false). The calling thread becomes the UI thread: native windows live there, and its
// GetMessageW runs the GLib main loop. Later calls return the first answer.
bool InitDisplayBackend();
// True while the GTK backend is installed.
bool HasDisplay();
// True when a compositor runs: window opacity and alpha shadows are then the compositor's.
// Without one the framework must draw them itself.
bool IsCompositing();
// Sets the window's icon from the bytes of a PNG (or any image gdk-pixbuf reads). FALSE with
// ERROR_INVALID_DATA when the bytes are not an image; the headless backend only checks them.
BOOL SetWindowIconFromImage(HWND hwnd, const void* bytes, std::size_t size);
} // namespace platform
