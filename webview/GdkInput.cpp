#include "GdkInput.h"

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

unsigned ModifierState(unsigned flags)
{
    unsigned state = 0;
    if (flags & kMkShift)
        state |= GDK_SHIFT_MASK;
    if (flags & kMkControl)
        state |= GDK_CONTROL_MASK;
    if (flags & kMkLButton)
        state |= GDK_BUTTON1_MASK;
    if (flags & kMkMButton)
        state |= GDK_BUTTON2_MASK;
    if (flags & kMkRButton)
        state |= GDK_BUTTON3_MASK;
    return state;
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
constexpr NamedKey kNamedKeys[] = {
    {0x08, GDK_KEY_BackSpace}, {0x09, GDK_KEY_Tab},       {0x0D, GDK_KEY_Return}, {0x1B, GDK_KEY_Escape},
    {0x21, GDK_KEY_Page_Up},   {0x22, GDK_KEY_Page_Down}, {0x23, GDK_KEY_End},    {0x24, GDK_KEY_Home},
    {0x25, GDK_KEY_Left},      {0x26, GDK_KEY_Up},        {0x27, GDK_KEY_Right},  {0x28, GDK_KEY_Down},
    {0x2E, GDK_KEY_Delete},
};

GdkEventPtr KeyvalEvent(GtkWidget* view, unsigned keyval, bool press)
{
    GdkEventPtr event = NewEvent(view, press ? GDK_KEY_PRESS : GDK_KEY_RELEASE, Keyboard());
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
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

GdkEventPtr KeyEvent(GtkWidget* view, unsigned virtualKey, bool press)
{
    for (const NamedKey& key : kNamedKeys)
    {
        if (key.virtualKey == virtualKey)
            return KeyvalEvent(view, key.keyval, press);
    }
    return nullptr;
}

GdkEventPtr CharEvent(GtkWidget* view, unsigned charCode, bool press)
{
    if (charCode < 0x20 || charCode == 0x7F || charCode > 0x10FFFF)
        return nullptr;
    return KeyvalEvent(view, gdk_unicode_to_keyval(charCode), press);
}

GdkEventPtr FocusEvent(GtkWidget* view, bool in)
{
    GdkEventPtr event = NewEvent(view, GDK_FOCUS_CHANGE, nullptr);
    event->focus_change.in = in ? TRUE : FALSE;
    return event;
}
} // namespace wkeimpl
