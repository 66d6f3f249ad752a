#include "platform/gtk/KeyboardInput.h"

#include "platform/Utf.h"
#include "platform/gtk/KeyMap.h"

#include <gdk/gdkkeysyms.h>

namespace platform
{
namespace
{
// The virtual key of a key event: its own keyval, else the one it has without modifiers
// (Shift+1 is still the key '1').
int VirtualKeyOfEvent(const GdkEventKey& event)
{
    if (const int vk = VirtualKeyOf(event.keyval))
        return vk;
    guint plain = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event.window));
    if (gdk_keymap_translate_keyboard_state(keymap, event.hardware_keycode, static_cast<GdkModifierType>(0),
                                            event.group, &plain, nullptr, nullptr, nullptr))
        return VirtualKeyOf(plain);
    return 0;
}

bool IsAltKey(guint keyval)
{
    return keyval == GDK_KEY_Alt_L || keyval == GDK_KEY_Alt_R || keyval == GDK_KEY_Meta_L;
}

std::u32string Utf32Of(const char* text)
{
    const std::wstring wide = FromUtf8(text != nullptr ? text : "");
    return std::u32string(wide.begin(), wide.end());
}
} // namespace

KeyboardInput::KeyboardInput(HWND hwnd) : m_hwnd(hwnd), m_im(gtk_im_multicontext_new())
{
    g_signal_connect(m_im.get(), "commit", G_CALLBACK(&KeyboardInput::OnCommit), this);
}

KeyboardInput::~KeyboardInput()
{
    g_signal_handlers_disconnect_by_data(m_im.get(), this);
    gtk_im_context_set_client_window(m_im.get(), nullptr);
}

void KeyboardInput::Connect(GtkWidget* widget)
{
    gtk_widget_add_events(widget, GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(widget, "key-press-event", G_CALLBACK(&KeyboardInput::OnPress), this);
    g_signal_connect(widget, "key-release-event", G_CALLBACK(&KeyboardInput::OnRelease), this);
}

void KeyboardInput::Realized(GdkWindow* window)
{
    gtk_im_context_set_client_window(m_im.get(), window);
}

void KeyboardInput::Focused(bool in)
{
    if (in)
        gtk_im_context_focus_in(m_im.get());
    else
    {
        gtk_im_context_focus_out(m_im.get());
        m_down.clear();
    }
}

void KeyboardInput::Pressed(const GdkEventKey& event)
{
    if (!IsWindowEnabled(m_hwnd))
        return;
    // What the input method commits while it looks at the key belongs after WM_KEYDOWN.
    m_collecting = true;
    m_collected.clear();
    const bool consumed =
        gtk_im_context_filter_keypress(m_im.get(), const_cast<GdkEventKey*>(&event)) != FALSE;
    m_collecting = false;
    const std::u32string committed = std::move(m_collected);
    m_collected.clear();

    int vk = VirtualKeyOfEvent(event);
    const char32_t own = gdk_keyval_to_unicode(event.keyval);
    // A key the input method kept for a composition is VK_PROCESSKEY on Windows; a key that
    // simply typed its own character keeps its code.
    if (consumed && !(committed.size() == 1 && committed[0] == own))
        vk = VK_PROCESSKEY;
    const bool alt = (event.state & GDK_MOD1_MASK) != 0 || IsAltKey(event.keyval);
    const bool wasDown = !m_down.insert(event.hardware_keycode).second;
    if (vk != 0)
    {
        const bool system = alt || vk == VK_F10;
        headless::InjectMessage(m_hwnd, system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(vk),
                                KeyMessageParam(event.hardware_keycode, alt, wasDown, false));
        // What Windows' default handling of Alt+F4 does.
        if (vk == VK_F4 && alt && (event.state & GDK_CONTROL_MASK) == 0)
            PostMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    PostChars(committed);
    if (!consumed && !alt)
    {
        if (const wchar_t control = ControlCharOf(vk, (event.state & GDK_CONTROL_MASK) != 0))
            PostChars(std::u32string(1, static_cast<char32_t>(control)));
    }
}

void KeyboardInput::Released(const GdkEventKey& event)
{
    gtk_im_context_filter_keypress(m_im.get(), const_cast<GdkEventKey*>(&event));
    m_down.erase(event.hardware_keycode);
    if (!IsWindowEnabled(m_hwnd))
        return;
    const int vk = VirtualKeyOfEvent(event);
    if (vk == 0)
        return;
    const bool alt = (event.state & GDK_MOD1_MASK) != 0;
    const bool system = alt || IsAltKey(event.keyval) || vk == VK_F10;
    headless::InjectMessage(m_hwnd, system ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(vk),
                            KeyMessageParam(event.hardware_keycode, alt, true, true));
}

void KeyboardInput::Committed(const char* text)
{
    if (m_collecting)
        m_collected += Utf32Of(text);
    else
        PostChars(Utf32Of(text));
}

void KeyboardInput::PostChars(const std::u32string& text)
{
    for (const char32_t ch : text)
        PostMessageW(m_hwnd, WM_CHAR, static_cast<WPARAM>(ch), 1);
}

gboolean KeyboardInput::OnPress(GtkWidget*, GdkEventKey* event, gpointer self) noexcept
try
{
    static_cast<KeyboardInput*>(self)->Pressed(*event);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean KeyboardInput::OnRelease(GtkWidget*, GdkEventKey* event, gpointer self) noexcept
try
{
    static_cast<KeyboardInput*>(self)->Released(*event);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

void KeyboardInput::OnCommit(GtkIMContext*, gchar* text, gpointer self) noexcept
try
{
    static_cast<KeyboardInput*>(self)->Committed(text);
}
catch (...)
{
}
} // namespace platform
