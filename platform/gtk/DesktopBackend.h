#pragma once
// What a display does for the Win32 calls beyond keeping windows: the pointer and its cursor,
// the screen, a window's icon, opacity and activation, and the system message box. One
// implementation per backend, chosen once at start-up: InitDisplayBackend installs GtkDesktop
// with the GTK window backend; until then, and without a display, HeadlessDesktop answers.
// Any thread may call; GtkDesktop hands its work to the UI thread.

#include "platform/Owned.h"
#include "platform/Window.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

namespace platform
{
struct ScreenArea
{
    RECT monitor{0, 0, 1920, 1080};
    RECT workArea{0, 0, 1920, 1080};
    int monitors = 1;
};

class DesktopBackend
{
public:
    virtual ~DesktopBackend() = default;

    virtual bool HasDisplay() const = 0;
    // True when a compositor draws window opacity and alpha shadows.
    virtual bool IsCompositing() const = 0;
    // The primary monitor as the display shows it now; false when it cannot be read from the
    // calling thread (or there is no display), and the caller keeps what it read last.
    virtual bool ReadScreen(ScreenArea& screen) = 0;

    // Brings the top-level window root to the front and gives it the focus.
    virtual void Present(HWND root) = 0;
    virtual void SetIcon(HWND hwnd, GObjectPtr<GdkPixbuf> image) = 0;
    // Opacity 0..1 of a top-level window.
    virtual void SetOpacity(HWND hwnd, double opacity) = 0;

    // The cursor shape by its CSS name (nullptr: none) over the window under the pointer, or
    // over the capture window while there is one.
    virtual void ShowCursor(const char* name) = 0;
    // Where the pointer is now; false when it cannot be read from the calling thread.
    virtual bool ReadPointer(POINT& point) = 0;
    virtual void WarpPointer(POINT point) = 0;
    // The mouse capture as a pointer grab: input outside the window still reaches it.
    virtual void GrabPointer(HWND hwnd) = 0;
    virtual void UngrabPointer() = 0;

    // Shows MessageBoxW's box (type already checked to have buttons) and returns its answer.
    virtual int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                               UINT type) = 0;
};

// The installed desktop (the headless one until a display backend starts).
DesktopBackend& Desktop();
// Installs the desktop (nullptr: the headless one); once, at start-up, with the window backend.
void SetDesktopBackend(DesktopBackend* desktop);
} // namespace platform
