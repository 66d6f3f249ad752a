#include "tests/main/rows/RowKit.h"

#include "ui/ComboUI.h"
#include "ui/ControlFactory.h"
#include "ui/ListContainerElementUI.h"
#include "ui/ProgressUI.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using rowtest::ListHost;

namespace
{
class LineList : public ::testing::Test
{
protected:
    void SetUp() override { rowtest::UseProgramSkin(); }
};

unsigned Red(unsigned pixel)
{
    return (pixel >> 16) & 0xFF;
}
unsigned Green(unsigned pixel)
{
    return (pixel >> 8) & 0xFF;
}

// Whether any pixel of the control's rectangle is a strong red (the failure label's text).
bool ShowsRed(ControlHost& host, CControlUI* control)
{
    cairo_surface_t* surface = host.Paint();
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const RECT rc = control->GetPos();
    for (int y = rc.top; y < rc.bottom; ++y)
    {
        for (int x = rc.left; x < rc.right; ++x)
        {
            const unsigned pixel = *reinterpret_cast<const unsigned*>(data + y * stride + x * 4);
            if (Red(pixel) > 200 && Green(pixel) < 90)
                return true;
        }
    }
    return false;
}

// The pixel in the middle of the progress bar of a row.
unsigned BarMiddle(ListHost& rows, int row)
{
    const RECT bar = rows.Control(row, L"progress")->GetPos();
    return rows.host.Pixel((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2) & 0xFFFFFF;
}
} // namespace

TEST_F(LineList, TheSkinTagMakesTheListAndEachRowShowsItsItem)
{
    ListHost rows;
    ASSERT_NE(rows.list, nullptr);
    EXPECT_EQ(std::wstring(rows.list->GetClass()), L"LineListUI");
    rows.AddFiles(3);
    ASSERT_EQ(rows.list->GetCount(), 3);
    rows.items[1]->m_nStatus = FILE_DONE;
    rows.items[1]->m_nProgress = 100;
    rows.items[2]->m_nStatus = FILE_FAILED;
    rows.list->SortLines();
    rows.host.Manager().UpdateLayout();

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(rows.Text(i, L"file_name"), rows.items[i]->m_strPath);
        EXPECT_EQ(rows.Text(i, L"file_type"), L"PNG");
    }
    // Waiting: "0%" and an empty bar.
    EXPECT_EQ(rows.Text(0, L"progress_value"), L"0%");
    EXPECT_TRUE(rows.Control(0, L"progress")->IsVisible());
    EXPECT_FALSE(rows.Control(0, L"error_info")->IsVisible());
    EXPECT_EQ(BarMiddle(rows, 0), 0xE3E6EFu);
    // Done: "100%" and a full bar.
    EXPECT_EQ(rows.Text(1, L"progress_value"), L"100%");
    EXPECT_EQ(static_cast<CProgressUI*>(rows.Control(1, L"progress"))->GetValue(), 100);
    EXPECT_EQ(BarMiddle(rows, 1), 0x5E70C4u);
    EXPECT_FALSE(ShowsRed(rows.host, rows.Control(1, L"error_info")));
    // Failed: only the red fixed label in the status cell.
    EXPECT_TRUE(rows.Control(2, L"error_info")->IsVisible());
    EXPECT_EQ(rows.Text(2, L"error_info"), L"转换失败");
    EXPECT_FALSE(rows.Control(2, L"progress")->IsVisible());
    EXPECT_FALSE(rows.Control(2, L"progress_value")->IsVisible());
    EXPECT_TRUE(ShowsRed(rows.host, rows.Control(2, L"error_info")));
}

TEST_F(LineList, RefreshLineRedrawsOnlyItsRowAndAFailedRowCanBeRetried)
{
    ListHost rows;
    rows.AddFiles(3);
    for (FileItem* item : rows.items)
    {
        item->m_nStatus = FILE_DONE;
        item->m_nProgress = 100;
    }
    CLineListUI::RefreshLine(rows.list->GetItemAt(1));
    EXPECT_EQ(rows.Text(0, L"progress_value"), L"0%");
    EXPECT_EQ(rows.Text(1, L"progress_value"), L"100%");
    EXPECT_EQ(rows.Text(2, L"progress_value"), L"0%");

    // Failed, then waiting again at the next start: the bar comes back.
    rows.items[1]->m_nStatus = FILE_FAILED;
    CLineListUI::RefreshLine(rows.list->GetItemAt(1));
    EXPECT_TRUE(rows.Control(1, L"error_info")->IsVisible());
    rows.items[1]->m_nStatus = FILE_WAITING;
    rows.items[1]->m_nProgress = 0;
    CLineListUI::RefreshLine(rows.list->GetItemAt(1));
    EXPECT_FALSE(rows.Control(1, L"error_info")->IsVisible());
    EXPECT_TRUE(rows.Control(1, L"progress")->IsVisible());
    EXPECT_EQ(rows.Text(1, L"progress_value"), L"0%");

    // A row without an item, or none at all, is left alone.
    CLineListUI::RefreshLine(nullptr);
    CControlUI* row = rows.list->GetItemAt(2);
    row->SetTag(0);
    rows.items[2]->m_strPath = L"changed";
    CLineListUI::RefreshLine(row);
    EXPECT_NE(rows.Text(2, L"file_name"), L"changed");
    row->SetTag(reinterpret_cast<UINT_PTR>(rows.items[2]));
}

TEST_F(LineList, SortLinesOrdersByIdAndRefreshesEveryRow)
{
    ListHost rows;
    // Ten files added one by one stand oldest first after the closing sort.
    rows.AddFiles(10);
    for (int i = 0; i < 10; ++i)
    {
        FileItem* item = nullptr;
        ASSERT_TRUE(rows.list->GetLineItem(i, &item));
        EXPECT_EQ(item, rows.items[i]);
        EXPECT_EQ(rows.Text(i, L"file_name"), rows.items[i]->m_strPath);
    }

    // Rows out of order (ids 7, 3, 9, 1) come back in id order, each showing its own item.
    ListHost mixed;
    for (int id : {7, 3, 9, 1})
    {
        FileItem* item = mixed.NewItem();
        item->m_nId = id;
        item->m_nProgress = id * 10;
        ASSERT_TRUE(mixed.list->AddLine(item));
        mixed.items.push_back(item);
    }
    mixed.list->SortLines();
    const int expected[] = {1, 3, 7, 9};
    for (int i = 0; i < 4; ++i)
    {
        FileItem* item = nullptr;
        ASSERT_TRUE(mixed.list->GetLineItem(i, &item));
        EXPECT_EQ(item->m_nId, expected[i]);
        EXPECT_EQ(mixed.Text(i, L"file_name"), item->m_strPath);
        EXPECT_EQ(mixed.Text(i, L"progress_value"), std::to_wstring(expected[i] * 10) + L"%");
        EXPECT_EQ(AsListItem(mixed.list->GetItemAt(i))->GetIndex(), i);
    }

    // Equal ids keep their order; a row without an item goes last.
    EXPECT_FALSE(CompareLineId(mixed.list->GetItemAt(0), mixed.list->GetItemAt(0)));
    CControlUI* first = mixed.list->GetItemAt(0);
    first->SetTag(0);
    mixed.list->SortLines();
    EXPECT_EQ(mixed.list->GetItemAt(3), first);
    first->SetTag(reinterpret_cast<UINT_PTR>(mixed.items[3]));
}

TEST_F(LineList, RemovedRowsKeepRowIShowingItemI)
{
    ListHost rows;
    rows.AddFiles(6);
    // As the main window deletes a row: the row, the vector element, a sort, the item.
    for (int index : {2, 0, 3})
    {
        ASSERT_TRUE(rows.list->RemoveLine(index));
        FileItem* gone = rows.items[static_cast<std::size_t>(index)];
        rows.items.erase(rows.items.begin() + index);
        rows.list->SortLines();
        delete gone;
        rows.host.Pump(); // the removed row is destroyed once the message is done
        ASSERT_EQ(rows.list->GetCount(), static_cast<int>(rows.items.size()));
        for (int i = 0; i < rows.list->GetCount(); ++i)
        {
            FileItem* item = nullptr;
            ASSERT_TRUE(rows.list->GetLineItem(i, &item));
            EXPECT_EQ(item, rows.items[static_cast<std::size_t>(i)]);
            EXPECT_EQ(rows.Text(i, L"file_name"), item->m_strPath);
        }
    }
    EXPECT_FALSE(rows.list->RemoveLine(3));
    EXPECT_FALSE(rows.list->RemoveLine(-1));

    // Outside the rows nothing is stored.
    auto* marker = reinterpret_cast<FileItem*>(0x10);
    FileItem* out = marker;
    EXPECT_FALSE(rows.list->GetLineItem(3, &out));
    EXPECT_FALSE(rows.list->GetLineItem(-1, &out));
    EXPECT_EQ(out, marker);
    // A row without an item gives none.
    rows.list->GetItemAt(1)->SetTag(0);
    EXPECT_TRUE(rows.list->GetLineItem(1, &out));
    EXPECT_EQ(out, nullptr);
    rows.list->GetItemAt(1)->SetTag(reinterpret_cast<UINT_PTR>(rows.items[1]));
}

TEST_F(LineList, RowsAreBuiltFromTheMarkupReadOnce)
{
    testsupport::TempDir skin("skin");
    const std::string good = [] {
        std::vector<BYTE> data;
        EXPECT_TRUE(CPaintManagerUI::LoadResourceFile(L"LineItem.xml", data));
        return std::string(data.begin(), data.end());
    }();
    testsupport::WriteFile(skin / "LineItem.xml", good);
    rowtest::UseSkinFolder(skin.wpath());

    ListHost rows;
    rows.AddFiles(1);
    // Later rows do not read the file again: they come from the kept markup.
    testsupport::WriteFile(skin / "LineItem.xml", "<Window><ListContainerElement");
    rows.AddFiles(2);
    EXPECT_EQ(rows.list->GetCount(), 3);
    EXPECT_EQ(rows.Text(2, L"file_name"), rows.items[2]->m_strPath);
}

TEST_F(LineList, AnItemWhoseRowCannotBeBuiltIsTakenBackOut)
{
    testsupport::TempDir skin("skin");
    rowtest::UseSkinFolder(skin.wpath());
    for (const char* markup : {static_cast<const char*>(nullptr), "<Window><ListContainerElement",
                               "<Window size=\"944,40\"></Window>"})
    {
        if (markup)
            testsupport::WriteFile(skin / "LineItem.xml", markup);
        ListHost rows;
        FileItem* lone = rows.NewItem();
        EXPECT_FALSE(rows.list->AddLine(lone));
        EXPECT_EQ(rows.list->GetCount(), 0);
        delete lone;

        // Through the tab's vector: the item goes again, rows and items stay in step.
        EXPECT_FALSE(rows.list->AddLine(rows.items, rows.NewItem()));
        EXPECT_TRUE(rows.items.empty());
        rows.AddFiles(3);
        EXPECT_TRUE(rows.items.empty());
        EXPECT_EQ(rows.list->GetCount(), 0);
    }
}

TEST_F(LineList, TheComboShowsTheOutputTypeAndItsChoiceReachesTheItem)
{
    ListHost rows;
    rows.AddFiles(3);
    rows.items[0]->m_nOutType = 0;
    rows.items[2]->m_nOutType = 2;
    rows.list->SortLines();
    const wchar_t* shown[] = {L"png", L"jpg", L"bmp"};
    for (int i = 0; i < 3; ++i)
    {
        auto* combo = static_cast<CComboUI*>(rows.Control(i, L"combo_out_type"));
        EXPECT_EQ(combo->GetCurSel(), rows.items[i]->m_nOutType);
        EXPECT_EQ(combo->GetText(), shown[i]);
    }

    // The main window's handling: the row is the combo's third ancestor, its index selects
    // the item, which takes the new index.
    struct ChoiceTaker final : INotifyUI
    {
        CLineListUI* list = nullptr;
        void Notify(TNotifyUI& msg) override
        {
            if (msg.sType != DUI_MSGTYPE_ITEMSELECT || msg.pSender->GetName() != L"combo_out_type")
                return;
            FileItem* item = nullptr;
            if (list->GetLineItem(AsListItem(rowtest::RowOf(msg.pSender))->GetIndex(), &item) && item)
                item->m_nOutType = static_cast<int>(msg.wParam);
        }
    } taker;
    taker.list = rows.list;
    rows.host.Manager().AddNotifier(&taker);
    CControlUI* combo = rows.Control(1, L"combo_out_type");
    combo->SetFocus();
    rows.host.Key(VK_DOWN);
    rows.host.Manager().RemoveNotifier(&taker);
    EXPECT_EQ(rows.items[0]->m_nOutType, 0);
    EXPECT_EQ(rows.items[1]->m_nOutType, 2);
    EXPECT_EQ(rows.items[2]->m_nOutType, 2);
    EXPECT_EQ(combo->GetText(), L"bmp");
}

TEST_F(LineList, RowButtonsNotifyWithTheirRowAndStandWhereTheTabWantsThem)
{
    ListHost rows(600, TAB_NORMAL);
    rows.AddFiles(4);
    rows.host.notes.clear();
    for (const wchar_t* name : {L"op_folder", L"op_scan", L"op_del"})
    {
        CControlUI* button = rows.Control(2, name);
        const RECT rc = button->GetPos();
        rows.host.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        ASSERT_EQ(rows.host.Count(L"click"), 1) << name;
        const Note& note = rows.host.notes.back();
        EXPECT_EQ(note.sender, button);
        CControlUI* row = rowtest::RowOf(note.sender);
        ASSERT_EQ(row, rows.list->GetItemAt(2));
        FileItem* item = nullptr;
        ASSERT_TRUE(rows.list->GetLineItem(AsListItem(row)->GetIndex(), &item));
        EXPECT_EQ(item, rows.items[2]);
        rows.host.notes.clear();
    }
    // Three buttons at 40, 112 and 184 of their cell; no settings button.
    const int cell = rows.Control(0, L"item_op")->GetPos().left;
    EXPECT_FALSE(rows.Control(0, L"op_setting")->IsVisible());
    EXPECT_EQ(rows.Control(0, L"op_folder")->GetPos().left - cell, 40);
    EXPECT_EQ(rows.Control(0, L"op_scan")->GetPos().left - cell, 112);
    EXPECT_EQ(rows.Control(0, L"op_del")->GetPos().left - cell, 184);

    // Compression rows: four buttons at 25, 82, 139 and 196, all 32 x 32, settings clickable.
    ListHost compress(600, TAB_COMPRESS);
    compress.AddFiles(2);
    const int ccell = compress.Control(1, L"item_op")->GetPos().left;
    const int expected[] = {25, 82, 139, 196};
    const wchar_t* names[] = {L"op_folder", L"op_scan", L"op_setting", L"op_del"};
    for (int i = 0; i < 4; ++i)
    {
        CControlUI* button = compress.Control(1, names[i]);
        EXPECT_TRUE(button->IsVisible()) << names[i];
        const RECT rc = button->GetPos();
        EXPECT_EQ(rc.left - ccell, expected[i]) << names[i];
        EXPECT_EQ(rc.right - rc.left, 32);
        EXPECT_EQ(rc.bottom - rc.top, 32);
    }
    compress.host.notes.clear();
    const RECT rc = compress.Control(1, L"op_setting")->GetPos();
    compress.host.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ASSERT_EQ(compress.host.Count(L"click"), 1);
    EXPECT_EQ(rowtest::RowOf(compress.host.notes.back().sender), compress.list->GetItemAt(1));
}
