#include "webview/GdkInput.h"

namespace wkeimpl
{
namespace
{
constexpr unsigned kMkLButton = 0x1, kMkRButton = 0x2, kMkShift = 0x4, kMkControl = 0x8, kMkMButton = 0x10;

GdkDevice* Pointer()
{
    return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
}

GdkDevice* Keyboard()
{
    return gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default()));
}

// A flag of the window message and the GDK state bit it stands for.
struct FlagMask
{
    unsigned flag;
    unsigned mask;
};
constexpr FlagMask kPointerFlags[] = {
    {kMkShift, GDK_SHIFT_MASK},     {kMkControl, GDK_CONTROL_MASK}, {kMkLButton, GDK_BUTTON1_MASK},
    {kMkMButton, GDK_BUTTON2_MASK}, {kMkRButton, GDK_BUTTON3_MASK},
};
constexpr FlagMask kKeyFlags[] = {
    {WKE_KEY_SHIFT, GDK_SHIFT_MASK},
    {WKE_KEY_CONTROL, GDK_CONTROL_MASK},
    {WKE_KEY_ALT, GDK_MOD1_MASK},
};

template <size_t N> unsigned StateOf(unsigned flags, const FlagMask (&table)[N])
{
    unsigned state = 0;
    for (const FlagMask& entry : table)
    {
        if (flags & entry.flag)
            state |= entry.mask;
    }
    return state;
}

unsigned ModifierState(unsigned flags)
{
    return StateOf(flags, kPointerFlags);
}

GdkEventPtr NewEvent(GtkWidget* view, GdkEventType type, GdkDevice* device)
{
    GdkEventPtr event(gdk_event_new(type));
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view)));
    event->any.send_event = FALSE;
    if (device != nullptr)
        gdk_event_set_device(event.get(), device);
    return event;
}

// WM_ values of the three buttons: down, up.
struct ButtonMessage
{
    unsigned message;
    GdkEventType type;
    unsigned button;
};
constexpr ButtonMessage kButtons[] = {
    {0x0201, GDK_BUTTON_PRESS, 1},   {0x0202, GDK_BUTTON_RELEASE, 1}, {0x0204, GDK_BUTTON_PRESS, 3},
    {0x0205, GDK_BUTTON_RELEASE, 3}, {0x0207, GDK_BUTTON_PRESS, 2},   {0x0208, GDK_BUTTON_RELEASE, 2},
};

struct NamedKey
{
    unsigned virtualKey;
    unsigned keyval;
};
// The keys that type no character, as GDK names them (numbered ones come below).
constexpr NamedKey kNamedKeys[] = {
    {0x08, GDK_KEY_BackSpace}, {0x09, GDK_KEY_Tab},         {0x0C, GDK_KEY_Clear},
    {0x0D, GDK_KEY_Return},    {0x10, GDK_KEY_Shift_L},     {0x11, GDK_KEY_Control_L},
    {0x12, GDK_KEY_Alt_L},     {0x13, GDK_KEY_Pause},       {0x14, GDK_KEY_Caps_Lock},
    {0x1B, GDK_KEY_Escape},    {0x21, GDK_KEY_Page_Up},     {0x22, GDK_KEY_Page_Down},
    {0x23, GDK_KEY_End},       {0x24, GDK_KEY_Home},        {0x25, GDK_KEY_Left},
    {0x26, GDK_KEY_Up},        {0x27, GDK_KEY_Right},       {0x28, GDK_KEY_Down},
    {0x2C, GDK_KEY_Print},     {0x2D, GDK_KEY_Insert},      {0x2E, GDK_KEY_Delete},
    {0x5B, GDK_KEY_Super_L},   {0x5C, GDK_KEY_Super_R},     {0x5D, GDK_KEY_Menu},
    {0x90, GDK_KEY_Num_Lock},  {0x91, GDK_KEY_Scroll_Lock}, {0xA0, GDK_KEY_Shift_L},
    {0xA1, GDK_KEY_Shift_R},   {0xA2, GDK_KEY_Control_L},   {0xA3, GDK_KEY_Control_R},
    {0xA4, GDK_KEY_Alt_L},     {0xA5, GDK_KEY_Alt_R},
};
constexpr unsigned kVkF1 = 0x70, kVkF24 = 0x87;

// The control characters that a key down of their own also brings.
struct ControlChar
{
    unsigned charCode;
    unsigned keyval;
};
constexpr ControlChar kControlChars[] = {
    {0x08, GDK_KEY_BackSpace}, {0x09, GDK_KEY_Tab},    {0x0D, GDK_KEY_Return},
    {0x0A, GDK_KEY_Return},    {0x1B, GDK_KEY_Escape}, {0x7F, GDK_KEY_BackSpace},
};
} // namespace

unsigned KeyState(unsigned flags)
{
    return StateOf(flags, kKeyFlags);
}

unsigned KeyvalOfKey(unsigned virtualKey, unsigned flags)
{
    const bool shift = (flags & WKE_KEY_SHIFT) != 0;
    // Shift+Tab stays Tab with Shift held: the page sees key "Tab" and the focus goes backwards.
    for (const NamedKey& key : kNamedKeys)
    {
        if (key.virtualKey == virtualKey)
            return key.keyval;
    }
    if (virtualKey >= kVkF1 && virtualKey <= kVkF24)
        return GDK_KEY_F1 + (virtualKey - kVkF1);
    // A letter or digit held with Ctrl types nothing: it is a shortcut (select all, copy, ...).
    if ((flags & WKE_KEY_CONTROL) == 0)
        return 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return shift ? virtualKey : virtualKey - 'A' + 'a';
    if (virtualKey >= '0' && virtualKey <= '9')
        return virtualKey;
    return 0;
}

unsigned KeyvalOfControlChar(unsigned charCode)
{
    for (const ControlChar& entry : kControlChars)
    {
        if (entry.charCode == charCode)
            return entry.keyval;
    }
    // Ctrl+A ... Ctrl+Z
    if (charCode >= 0x01 && charCode <= 0x1A)
        return 'a' + charCode - 1;
    return 0;
}

namespace
{
GdkEventPtr KeyvalEventOf(GtkWidget* view, unsigned keyval, unsigned state, bool press)
{
    GdkEventPtr event = NewEvent(view, press ? GDK_KEY_PRESS : GDK_KEY_RELEASE, Keyboard());
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
    event->key.state = state;
    GdkKeymapKey* raw = nullptr;
    gint count = 0;
    const bool found = gdk_keymap_get_entries_for_keyval(
        gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &raw, &count);
    const platform::GMemoryPtr<GdkKeymapKey> keys(raw);
    if (found && count > 0)
    {
        event->key.hardware_keycode = static_cast<guint16>(keys.get()[0].keycode);
        event->key.group = static_cast<guint8>(keys.get()[0].group);
    }
    const gunichar ch = gdk_keyval_to_unicode(keyval);
    if (ch >= 0x20 && ch != 0x7F)
    {
        gchar text[8] = {};
        event->key.length = g_unichar_to_utf8(ch, text);
        event->key.string = g_strdup(text);
    }
    else
    {
        event->key.string = g_strdup("");
    }
    return event;
}
} // namespace

GdkEventPtr MouseEvent(GtkWidget* view, unsigned message, int x, int y, unsigned flags)
{
    if (message == 0x0200)
    {
        GdkEventPtr event = NewEvent(view, GDK_MOTION_NOTIFY, Pointer());
        event->motion.x = x;
        event->motion.y = y;
        event->motion.x_root = x;
        event->motion.y_root = y;
        event->motion.state = ModifierState(flags);
        event->motion.time = GDK_CURRENT_TIME;
        return event;
    }
    for (const ButtonMessage& entry : kButtons)
    {
        if (entry.message != message)
            continue;
        GdkEventPtr event = NewEvent(view, entry.type, Pointer());
        event->button.x = x;
        event->button.y = y;
        event->button.x_root = x;
        event->button.y_root = y;
        event->button.button = entry.button;
        event->button.state = ModifierState(flags);
        event->button.time = GDK_CURRENT_TIME;
        return event;
    }
    return nullptr;
}

GdkEventPtr ScrollEvent(GtkWidget* view, int x, int y, int delta, unsigned flags)
{
    GdkEventPtr event = NewEvent(view, GDK_SCROLL, Pointer());
    event->scroll.x = x;
    event->scroll.y = y;
    event->scroll.x_root = x;
    event->scroll.y_root = y;
    event->scroll.direction = delta > 0 ? GDK_SCROLL_UP : GDK_SCROLL_DOWN;
    event->scroll.state = ModifierState(flags);
    event->scroll.time = GDK_CURRENT_TIME;
    return event;
}

GdkEventPtr KeyvalEvent(GtkWidget* view, unsigned keyval, unsigned state, bool press)
{
    return KeyvalEventOf(view, keyval, state, press);
}

GdkEventPtr CharEvent(GtkWidget* view, unsigned charCode, unsigned flags, bool press)
{
    if (charCode < 0x20 || charCode == 0x7F || charCode > 0x10FFFF)
        return nullptr;
    // Text is typed with Shift at most: Ctrl and Alt (AltGr here) already chose the character.
    return KeyvalEventOf(view, gdk_unicode_to_keyval(charCode), KeyState(flags & WKE_KEY_SHIFT), press);
}

GdkEventPtr FocusEvent(GtkWidget* view, bool in)
{
    GdkEventPtr event = NewEvent(view, GDK_FOCUS_CHANGE, nullptr);
    event->focus_change.in = in ? TRUE : FALSE;
    return event;
}
} // namespace wkeimpl
