#include "platform/gtk/KeyMap.h"

#include <gdk/gdkkeysyms.h>

#include <array>
#include <utility>

namespace platform
{
namespace
{
constexpr int VK_OEM_1 = 0xBA;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;
constexpr int VK_OEM_3 = 0xC0;
constexpr int VK_OEM_4 = 0xDB;
constexpr int VK_OEM_5 = 0xDC;
constexpr int VK_OEM_6 = 0xDD;
constexpr int VK_OEM_7 = 0xDE;

constexpr std::array<std::pair<guint, int>, 56> kNamedKeys{{
    {GDK_KEY_BackSpace, VK_BACK},
    {GDK_KEY_Tab, VK_TAB},
    {GDK_KEY_ISO_Left_Tab, VK_TAB},
    {GDK_KEY_Return, VK_RETURN},
    {GDK_KEY_KP_Enter, VK_RETURN},
    {GDK_KEY_Escape, VK_ESCAPE},
    {GDK_KEY_space, VK_SPACE},
    {GDK_KEY_Page_Up, VK_PRIOR},
    {GDK_KEY_Page_Down, VK_NEXT},
    {GDK_KEY_End, VK_END},
    {GDK_KEY_Home, VK_HOME},
    {GDK_KEY_Left, VK_LEFT},
    {GDK_KEY_Up, VK_UP},
    {GDK_KEY_Right, VK_RIGHT},
    {GDK_KEY_Down, VK_DOWN},
    {GDK_KEY_Insert, VK_INSERT},
    {GDK_KEY_Delete, VK_DELETE},
    {GDK_KEY_KP_Delete, VK_DELETE},
    {GDK_KEY_Shift_L, VK_SHIFT},
    {GDK_KEY_Shift_R, VK_SHIFT},
    {GDK_KEY_Control_L, VK_CONTROL},
    {GDK_KEY_Control_R, VK_CONTROL},
    {GDK_KEY_Alt_L, VK_MENU},
    {GDK_KEY_Alt_R, VK_MENU},
    {GDK_KEY_Meta_L, VK_MENU},
    {GDK_KEY_ISO_Level3_Shift, VK_MENU},
    {GDK_KEY_Super_L, VK_LWIN},
    {GDK_KEY_Super_R, VK_RWIN},
    {GDK_KEY_Menu, VK_APPS},
    {GDK_KEY_Pause, VK_PAUSE},
    {GDK_KEY_Caps_Lock, VK_CAPITAL},
    {GDK_KEY_Num_Lock, VK_NUMLOCK},
    {GDK_KEY_Scroll_Lock, VK_SCROLL},
    {GDK_KEY_Print, VK_SNAPSHOT},
    {GDK_KEY_KP_Multiply, VK_MULTIPLY},
    {GDK_KEY_KP_Add, VK_ADD},
    {GDK_KEY_KP_Subtract, VK_SUBTRACT},
    {GDK_KEY_KP_Decimal, VK_DECIMAL},
    {GDK_KEY_KP_Divide, VK_DIVIDE},
    {GDK_KEY_KP_Home, VK_HOME},
    {GDK_KEY_KP_End, VK_END},
    {GDK_KEY_KP_Left, VK_LEFT},
    {GDK_KEY_KP_Right, VK_RIGHT},
    {GDK_KEY_KP_Up, VK_UP},
    {GDK_KEY_KP_Down, VK_DOWN},
    {GDK_KEY_semicolon, VK_OEM_1},
    {GDK_KEY_equal, VK_OEM_PLUS},
    {GDK_KEY_comma, VK_OEM_COMMA},
    {GDK_KEY_minus, VK_OEM_MINUS},
    {GDK_KEY_period, VK_OEM_PERIOD},
    {GDK_KEY_slash, VK_OEM_2},
    {GDK_KEY_grave, VK_OEM_3},
    {GDK_KEY_bracketleft, VK_OEM_4},
    {GDK_KEY_backslash, VK_OEM_5},
    {GDK_KEY_bracketright, VK_OEM_6},
    {GDK_KEY_apostrophe, VK_OEM_7},
}};
} // namespace

int VirtualKeyOf(guint keyval)
{
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        return static_cast<int>('A' + (keyval - GDK_KEY_a));
    if ((keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) || (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9))
        return static_cast<int>(keyval);
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24)
        return VK_F1 + static_cast<int>(keyval - GDK_KEY_F1);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
        return VK_NUMPAD0 + static_cast<int>(keyval - GDK_KEY_KP_0);
    for (const auto& [gdkKey, vk] : kNamedKeys)
    {
        if (gdkKey == keyval)
            return vk;
    }
    return 0;
}

LPARAM KeyMessageParam(guint16 hardwareKeycode, bool alt, bool wasDown, bool release)
{
    // X key codes are the PC scan codes plus 8.
    const DWORD scan = hardwareKeycode >= 8 ? (hardwareKeycode - 8u) & 0xFFu : 0u;
    DWORD value = 1u | (scan << 16);
    if (alt)
        value |= 1u << 29;
    if (wasDown)
        value |= 1u << 30;
    if (release)
        value |= 1u << 31;
    return static_cast<LPARAM>(value);
}

WPARAM MouseKeyState(guint state)
{
    WPARAM keys = 0;
    if ((state & GDK_BUTTON1_MASK) != 0)
        keys |= MK_LBUTTON;
    if ((state & GDK_BUTTON2_MASK) != 0)
        keys |= MK_MBUTTON;
    if ((state & GDK_BUTTON3_MASK) != 0)
        keys |= MK_RBUTTON;
    if ((state & GDK_SHIFT_MASK) != 0)
        keys |= MK_SHIFT;
    if ((state & GDK_CONTROL_MASK) != 0)
        keys |= MK_CONTROL;
    return keys;
}

WPARAM MouseButtonBit(guint button)
{
    switch (button)
    {
    case 1:
        return MK_LBUTTON;
    case 2:
        return MK_MBUTTON;
    case 3:
        return MK_RBUTTON;
    case 8:
        return MK_XBUTTON1;
    case 9:
        return MK_XBUTTON2;
    default:
        return 0;
    }
}

UINT MouseButtonMessage(guint button, bool up, bool doubleClick)
{
    UINT down = 0;
    switch (button)
    {
    case 1:
        down = WM_LBUTTONDOWN;
        break;
    case 2:
        down = WM_MBUTTONDOWN;
        break;
    case 3:
        down = WM_RBUTTONDOWN;
        break;
    case 8:
    case 9:
        down = WM_XBUTTONDOWN;
        break;
    default:
        return 0;
    }
    // Every button's messages come in the order DOWN, UP, DBLCLK.
    return down + (up ? 1 : 0) + (doubleClick && !up ? 2 : 0);
}

wchar_t ControlCharOf(int virtualKey, bool control)
{
    switch (virtualKey)
    {
    case VK_RETURN:
        return L'\r';
    case VK_ESCAPE:
        return 0x1B;
    case VK_BACK:
        return 0x08;
    case VK_TAB:
        return L'\t';
    default:
        break;
    }
    if (control && virtualKey >= 'A' && virtualKey <= 'Z')
        return static_cast<wchar_t>(virtualKey - 'A' + 1);
    return 0;
}

bool ResizeEdgeOf(LRESULT hit, GdkWindowEdge* edge)
{
    switch (hit)
    {
    case HTLEFT:
        *edge = GDK_WINDOW_EDGE_WEST;
        return true;
    case HTRIGHT:
        *edge = GDK_WINDOW_EDGE_EAST;
        return true;
    case HTTOP:
        *edge = GDK_WINDOW_EDGE_NORTH;
        return true;
    case HTBOTTOM:
        *edge = GDK_WINDOW_EDGE_SOUTH;
        return true;
    case HTTOPLEFT:
        *edge = GDK_WINDOW_EDGE_NORTH_WEST;
        return true;
    case HTTOPRIGHT:
        *edge = GDK_WINDOW_EDGE_NORTH_EAST;
        return true;
    case HTBOTTOMLEFT:
        *edge = GDK_WINDOW_EDGE_SOUTH_WEST;
        return true;
    case HTBOTTOMRIGHT:
        *edge = GDK_WINDOW_EDGE_SOUTH_EAST;
        return true;
    default:
        return false;
    }
}
} // namespace platform
