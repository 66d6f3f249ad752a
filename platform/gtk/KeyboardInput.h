#pragma once
// Keyboard input of one native window as Windows messages: WM_KEYDOWN/WM_KEYUP (WM_SYS* with
// Alt) with virtual keys, and WM_CHAR for each character an input method commits, so that
// composed text (Chinese through an input method) arrives as typed characters.

#include "platform/Window.h"

#include "platform/Owned.h"

#include <gtk/gtk.h>

#include <set>
#include <string>

namespace platform
{
class KeyboardInput
{
public:
    explicit KeyboardInput(HWND hwnd);
    ~KeyboardInput();
    KeyboardInput(const KeyboardInput&) = delete;
    KeyboardInput& operator=(const KeyboardInput&) = delete;

    void Connect(GtkWidget* widget);
    void Realized(GdkWindow* window);
    void Focused(bool in);

private:
    void Pressed(const GdkEventKey& event);
    void Released(const GdkEventKey& event);
    void Committed(const char* text);
    void PostChars(const std::u32string& text);

    // GTK's handlers: each one catches what the window procedures throw.
    static gboolean OnPress(GtkWidget*, GdkEventKey* event, gpointer self) noexcept;
    static gboolean OnRelease(GtkWidget*, GdkEventKey* event, gpointer self) noexcept;
    static void OnCommit(GtkIMContext*, gchar* text, gpointer self) noexcept;

    HWND m_hwnd;
    GObjectPtr<GtkIMContext> m_im;
    // Characters committed while a key press is being filtered: they follow its WM_KEYDOWN.
    bool m_collecting = false;
    std::u32string m_collected;
    // Hardware key codes now down, for the "previously down" bit of repeats.
    std::set<guint16> m_down;
};
} // namespace platform
