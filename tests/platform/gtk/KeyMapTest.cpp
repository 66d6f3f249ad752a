// GDK's key and button vocabulary in Windows terms.
#include "platform/gtk/KeyMap.h"

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

using namespace platform;

TEST(KeyMapTest, KeysGetTheirVirtualKeyCodes)
{
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_a), 'A');
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Z), 'Z');
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_0), '0');
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_F1), VK_F1);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_F12), VK_F12);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_KP_7), VK_NUMPAD0 + 7);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Return), VK_RETURN);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_KP_Enter), VK_RETURN);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Escape), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_ISO_Left_Tab), VK_TAB);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_BackSpace), VK_BACK);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Delete), VK_DELETE);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Home), VK_HOME);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_End), VK_END);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Left), VK_LEFT);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Down), VK_DOWN);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Shift_R), VK_SHIFT);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Control_L), VK_CONTROL);
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_Alt_L), VK_MENU);
    // Shifted symbols have no code of their own: the caller falls back to the plain key.
    EXPECT_EQ(VirtualKeyOf(GDK_KEY_exclam), 0);
    EXPECT_EQ(VirtualKeyOf(0x4E2D /* a CJK keyval */), 0);
}

TEST(KeyMapTest, KeyParamCarriesScanCodeContextAndTransition)
{
    // X key code 9 is Escape, PC scan code 1.
    const auto down = static_cast<DWORD>(KeyMessageParam(9, false, false, false));
    EXPECT_EQ(down & 0xFFFF, 1u);
    EXPECT_EQ((down >> 16) & 0xFF, 1u);
    EXPECT_EQ(down >> 29, 0u);
    const auto repeat = static_cast<DWORD>(KeyMessageParam(9, true, true, false));
    EXPECT_EQ(repeat >> 29, 0b011u);
    const auto up = static_cast<DWORD>(KeyMessageParam(9, false, true, true));
    EXPECT_EQ(up >> 30, 0b11u);
    EXPECT_EQ((KeyMessageParam(3, false, false, false) >> 16) & 0xFF, 0) << "codes below 8 have no scan code";
}

TEST(KeyMapTest, MouseButtonsAndStateBits)
{
    EXPECT_EQ(MouseButtonMessage(1, false, false), WM_LBUTTONDOWN);
    EXPECT_EQ(MouseButtonMessage(1, true, false), WM_LBUTTONUP);
    EXPECT_EQ(MouseButtonMessage(1, false, true), WM_LBUTTONDBLCLK);
    EXPECT_EQ(MouseButtonMessage(1, true, true), WM_LBUTTONUP) << "a release is never a double click";
    EXPECT_EQ(MouseButtonMessage(2, false, false), WM_MBUTTONDOWN);
    EXPECT_EQ(MouseButtonMessage(3, true, false), WM_RBUTTONUP);
    EXPECT_EQ(MouseButtonMessage(8, false, true), WM_XBUTTONDBLCLK);
    EXPECT_EQ(MouseButtonMessage(4, false, false), 0u) << "wheel buttons are not clicks";

    EXPECT_EQ(MouseKeyState(GDK_BUTTON1_MASK | GDK_SHIFT_MASK), MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(MouseKeyState(GDK_BUTTON2_MASK | GDK_BUTTON3_MASK | GDK_CONTROL_MASK),
              MK_MBUTTON | MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(MouseKeyState(GDK_MOD1_MASK), 0u);
    EXPECT_EQ(MouseButtonBit(3), MK_RBUTTON);
    EXPECT_EQ(MouseButtonBit(9), MK_XBUTTON2);
}

TEST(KeyMapTest, ControlCharactersAndSizingEdges)
{
    EXPECT_EQ(ControlCharOf(VK_RETURN, false), L'\r');
    EXPECT_EQ(ControlCharOf(VK_ESCAPE, false), 0x1B);
    EXPECT_EQ(ControlCharOf(VK_BACK, true), 0x08);
    EXPECT_EQ(ControlCharOf('C', true), 3);
    EXPECT_EQ(ControlCharOf('C', false), 0) << "plain letters come from the input method";
    EXPECT_EQ(ControlCharOf(VK_F1, true), 0);

    GdkWindowEdge edge{};
    ASSERT_TRUE(ResizeEdgeOf(HTBOTTOMRIGHT, &edge));
    EXPECT_EQ(edge, GDK_WINDOW_EDGE_SOUTH_EAST);
    ASSERT_TRUE(ResizeEdgeOf(HTLEFT, &edge));
    EXPECT_EQ(edge, GDK_WINDOW_EDGE_WEST);
    EXPECT_FALSE(ResizeEdgeOf(HTCAPTION, &edge));
    EXPECT_FALSE(ResizeEdgeOf(HTCLIENT, &edge));
}
