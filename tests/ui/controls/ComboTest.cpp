#include "tests/support/ControlHost.h"

#include "ui/ComboUI.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
constexpr const wchar_t* kCombo =
    L"<Container><Combo name=\"combo_out_type\" float=\"true\" pos=\"15,4,135,36\" "
    L"itemtextpadding=\"15,0,0,0\">"
    L"<ListLabelElement text=\"png\" height=\"30\"/><ListLabelElement text=\"jpg\" height=\"30\"/>"
    L"<ListLabelElement text=\"bmp\" height=\"30\"/></Combo></Container>";
}

TEST(ComboTest, DropDownIsAPopupWindowWhereAClickSelects)
{
    ControlHost host;
    host.Load(kCombo);
    auto* combo = static_cast<CComboUI*>(host.Manager().FindControl(L"combo_out_type"));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->GetCount(), 3);
    combo->SelectItem(0, false, false);
    EXPECT_EQ(combo->GetText(), CDuiString(L"png"));

    host.Click(50, 20);
    const HWND popup = combo->GetDropWindow();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(::IsWindowVisible(popup));
    EXPECT_EQ(::GetWindowLongW(popup, GWL_STYLE) & static_cast<LONG>(WS_POPUP), static_cast<LONG>(WS_POPUP));
    RECT popupRect{};
    ::GetWindowRect(popup, &popupRect);
    EXPECT_EQ(popupRect.right - popupRect.left, 120);
    EXPECT_EQ(popupRect.bottom - popupRect.top, 92) << "three items and the border";

    // The second item, in the popup's own coordinates.
    platform::headless::InjectMessage(popup, WM_MOUSEMOVE, 0, MAKELPARAM(40, 45));
    platform::headless::InjectMessage(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 45));
    platform::headless::InjectMessage(popup, WM_LBUTTONUP, 0, MAKELPARAM(40, 45));
    host.Pump();
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), CDuiString(L"jpg"));
    ASSERT_EQ(host.Count(DUI_MSGTYPE_ITEMSELECT), 1);
    for (const Note& note : host.notes)
    {
        if (note.type == DUI_MSGTYPE_ITEMSELECT)
        {
            EXPECT_EQ(note.sender, combo);
            EXPECT_EQ(note.wParam, 1u);
            EXPECT_EQ(note.lParam, 0);
        }
    }
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    // The items are the combo's again.
    EXPECT_EQ(combo->GetItemAt(1)->GetManager(), &host.Manager());
    EXPECT_EQ(combo->GetItemAt(1)->GetParent(), combo);
}

TEST(ComboTest, KeysMoveTheSelectionAndSelectingTheSameIndexSendsNothing)
{
    ControlHost host;
    host.Load(kCombo);
    auto* combo = static_cast<CComboUI*>(host.Manager().FindControl(L"combo_out_type"));
    combo->SelectItem(2);
    EXPECT_EQ(host.Count(DUI_MSGTYPE_ITEMSELECT), 1);
    combo->SelectItem(2);
    EXPECT_EQ(host.Count(DUI_MSGTYPE_ITEMSELECT), 1);
    combo->SetFocus();
    host.Key(VK_UP);
    EXPECT_EQ(combo->GetCurSel(), 1);
    host.Key(VK_DOWN);
    host.Key(VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_FALSE(combo->SelectItem(5));
}

TEST(ComboTest, ChangingItemsWhileOpenClosesThePopupFirst)
{
    ControlHost host;
    host.Load(kCombo);
    auto* combo = static_cast<CComboUI*>(host.Manager().FindControl(L"combo_out_type"));
    combo->SelectItem(1, false, false);
    host.Click(50, 20);
    const HWND popup = combo->GetDropWindow();
    ASSERT_NE(popup, nullptr);
    combo->RemoveAt(0);
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(combo->GetText(), CDuiString(L"jpg"));
    host.Click(50, 20);
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    // A combo destroyed with its popup open takes the popup with it.
    host.Load(L"<Container/>");
    host.Pump();
}
