#include "tests/support/ControlHost.h"

#include "ui/ListLabelElementUI.h"
#include "ui/ListUI.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
// A text row that counts how often it is painted.
class CountingRow : public CListLabelElementUI
{
public:
    static int paints;
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        ++paints;
        CListLabelElementUI::DoPaint(hDC, rcPaint);
    }
};
int CountingRow::paints = 0;

CListLabelElementUI* Row(const wchar_t* text, int height = 20)
{
    auto* row = new CListLabelElementUI;
    row->SetText(text);
    row->SetFixedHeight(height);
    return row;
}

std::wstring Texts(CListUI* list)
{
    std::wstring texts;
    for (int i = 0; i < list->GetCount(); ++i)
        texts += list->GetItemAt(i)->GetText().Str();
    return texts;
}

constexpr const wchar_t* kListMarkup =
    L"<List name=\"list\" vscrollbar=\"true\" itemselectedbkcolor=\"#FF0000FF\" header=\"hidden\">"
    L"<ListLabelElement text=\"a\" height=\"20\"/><ListLabelElement text=\"b\" height=\"20\"/>"
    L"<ListLabelElement text=\"c\" height=\"20\"/></List>";
} // namespace

TEST(ListTest, RowOrderFollowsAddAtSetItemIndexAndRemoveAt)
{
    ControlHost host;
    auto* list = static_cast<CListUI*>(host.Load(kListMarkup));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(Texts(list), L"abc");
    ASSERT_FALSE(list->GetHeader()->IsVisible());

    CControlUI* d = Row(L"d");
    ASSERT_TRUE(list->AddAt(d, 0));
    EXPECT_EQ(Texts(list), L"dabc");
    EXPECT_TRUE(list->SetItemIndex(d, 3));
    EXPECT_EQ(Texts(list), L"abcd");
    EXPECT_TRUE(list->SetItemIndex(d, 1));
    EXPECT_EQ(Texts(list), L"adbc");
    for (int i = 0; i < list->GetCount(); ++i)
    {
        EXPECT_EQ(list->GetItemIndex(list->GetItemAt(i)), i);
        EXPECT_EQ(AsListItem(list->GetItemAt(i))->GetIndex(), i);
    }
    EXPECT_TRUE(list->RemoveAt(0));
    EXPECT_EQ(Texts(list), L"dbc");
    EXPECT_FALSE(list->RemoveAt(3));
    EXPECT_FALSE(list->SetItemIndex(d, 3));
    CControlUI* outside = Row(L"x");
    EXPECT_FALSE(list->AddAt(outside, 9));
    delete outside;
    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST(ListTest, SelectionStaysOnItsRowWhenRowsMove)
{
    ControlHost host;
    auto* list = static_cast<CListUI*>(host.Load(kListMarkup));
    ASSERT_TRUE(list->SelectItem(1, false, false));
    list->AddAt(Row(L"z"), 0);
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_EQ(list->GetItemAt(list->GetCurSel())->GetText(), CDuiString(L"b"));
    list->SetItemIndex(list->GetItemAt(2), 0);
    EXPECT_EQ(list->GetCurSel(), 0);
    list->RemoveAt(1);
    EXPECT_EQ(list->GetCurSel(), 0);
    list->RemoveAt(0);
    EXPECT_EQ(list->GetCurSel(), -1) << "the selected row is gone";
    EXPECT_FALSE(list->SelectItem(7));
}

TEST(ListTest, ContainerRowsBuiltFromMarkupAreFoundAndSelectable)
{
    ControlHost host;
    auto* list = static_cast<CListUI*>(host.Load(L"<List vscrollbar=\"true\"/>"));
    CDialogBuilder rowBuilder;
    constexpr const wchar_t* kRow =
        L"<ListContainerElement height=\"40\"><HorizontalLayout>"
        L"<Label name=\"file_name\" width=\"200\"/><Button name=\"op_del\" width=\"32\"/>"
        L"</HorizontalLayout></ListContainerElement>";
    for (int i = 0; i < 3; ++i)
    {
        CControlUI* row = i == 0 ? rowBuilder.Create(kRow, nullptr, nullptr, &host.Manager())
                                 : rowBuilder.Create(nullptr, &host.Manager());
        ASSERT_NE(row, nullptr);
        row->SetTag(static_cast<UINT_PTR>(i));
        ASSERT_TRUE(list->AddAt(row, 0));
    }
    host.Paint();
    EXPECT_EQ(list->GetItemAt(0)->GetTag(), 2u);
    EXPECT_EQ(list->GetItemAt(0)->GetPos().top, 0);
    EXPECT_EQ(list->GetItemAt(1)->GetPos().top, 40);
    auto* row = static_cast<CContainerUI*>(list->GetItemAt(1));
    ASSERT_NE(row->FindSubControl(L"file_name"), nullptr);

    host.Click(300, 55); // on the row, right of its controls
    EXPECT_EQ(list->GetCurSel(), 1);
    ASSERT_EQ(host.Count(DUI_MSGTYPE_ITEMSELECT), 1);
    ASSERT_EQ(host.Count(DUI_MSGTYPE_ITEMCLICK), 1);
    for (const Note& note : host.notes)
    {
        if (note.type == DUI_MSGTYPE_ITEMSELECT)
        {
            EXPECT_EQ(note.sender, list);
            EXPECT_EQ(note.wParam, 1u);
            EXPECT_EQ(note.lParam, -1);
        }
    }
    host.Key(VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 2);
    host.Key(VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 2) << "stops at the last row";
}

TEST(ListTest, SelectedRowPaintsTheSelectedColour)
{
    ControlHost host;
    auto* list = static_cast<CListUI*>(host.Load(kListMarkup));
    list->SelectItem(1);
    EXPECT_EQ(host.Pixel(390 - 20, 30), 0xFF0000FFu);
    EXPECT_NE(host.Pixel(390 - 20, 10), 0xFF0000FFu);
}

TEST(ListScrollTest, OnlyRowsInViewArePaintedAndTheWheelScrolls)
{
    ControlHost host(400, 300);
    auto* list = static_cast<CListUI*>(host.Load(L"<List vscrollbar=\"true\"/>"));
    for (int i = 0; i < 5000; ++i)
    {
        auto* row = new CountingRow;
        row->SetText(std::to_wstring(i).c_str());
        row->SetFixedHeight(20);
        list->Add(row);
    }
    host.Paint();
    EXPECT_EQ(list->GetScrollRange(), 5000 * 20 - 300);
    CountingRow::paints = 0;
    host.Paint();
    EXPECT_LE(CountingRow::paints, 16);
    EXPECT_GE(CountingRow::paints, 15);

    host.Wheel(100, 100, 2); // two notches down
    EXPECT_GT(list->GetScrollPos(), 0);
    const int pos = list->GetScrollPos();
    CControlUI* top = host.Manager().FindControl(POINT{100, 1});
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(list->GetItemIndex(top), pos / 20);
    EXPECT_EQ(top->GetPos().top, (pos / 20) * 20 - pos);

    CountingRow::paints = 0;
    host.Paint();
    EXPECT_LE(CountingRow::paints, 16);
    // A row scrolled out of view cannot be hit.
    EXPECT_EQ(list->GetItemAt(0)->GetPos().bottom, 0);

    list->EnsureVisible(4999);
    EXPECT_EQ(list->GetScrollPos(), list->GetScrollRange());
    host.Paint();
    EXPECT_EQ(list->GetItemIndex(host.Manager().FindControl(POINT{100, 295})), 4999);
}

TEST(ListScrollTest, ScrollBarButtonsAndThumbDragMoveTheRows)
{
    ControlHost host(400, 300);
    auto* list = static_cast<CListUI*>(
        host.Load(L"<List vscrollbar=\"true\" vscrollbarstyle=\"width=&quot;16&quot;\"/>"));
    for (int i = 0; i < 100; ++i)
        list->Add(Row(L"r"));
    host.Paint();
    CScrollBarUI* bar = list->GetVerticalScrollBar();
    const RECT barRect = bar->GetPos();
    EXPECT_EQ(barRect.right - barRect.left, 16);
    EXPECT_EQ(barRect.left, 384);

    host.Click(392, 295); // the down button
    EXPECT_EQ(list->GetScrollPos(), 20) << "one line, one row";

    const RECT thumb = bar->GetThumbRect();
    const int x = (thumb.left + thumb.right) / 2;
    const int y = (thumb.top + thumb.bottom) / 2;
    host.Move(x, y);
    platform::headless::InjectMessage(host.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    platform::headless::InjectMessage(host.GetHWND(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + 100));
    platform::headless::InjectMessage(host.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(x, y + 100));
    host.Pump();
    const int travel =
        (bar->GetButton2Rect().top - bar->GetButton1Rect().bottom) - (thumb.bottom - thumb.top);
    EXPECT_NEAR(list->GetScrollPos(), 20 + 100 * list->GetScrollRange() / travel, 1);

    host.Click(392, 10 + 16); // the rail above the thumb: a page up
    EXPECT_LT(list->GetScrollPos(), 20 + 100 * list->GetScrollRange() / travel);
}
