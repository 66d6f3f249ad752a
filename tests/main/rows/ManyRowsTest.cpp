#include "tests/main/rows/RowKit.h"

#include "ui/ControlFactory.h"
#include "ui/ListContainerElementUI.h"

#include <gtest/gtest.h>

using namespace DuiLib;
using rowtest::ListHost;

namespace
{
// The row element of LineItem.xml, counting how often rows are painted.
class CountingRow : public CListContainerElementUI
{
public:
    static int paints;
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        ++paints;
        CListContainerElementUI::DoPaint(hDC, rcPaint);
    }
};
int CountingRow::paints = 0;

template <typename T> CControlUI* Make()
{
    return new T();
}

class ManyRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rowtest::UseProgramSkin();
        CControlFactory::GetInstance().RegisterControl(L"ListContainerElement", &Make<CountingRow>);
    }
    void TearDown() override
    {
        CControlFactory::GetInstance().RegisterControl(L"ListContainerElement",
                                                       &Make<CListContainerElementUI>);
    }

    int PaintedRows(ListHost& rows)
    {
        CountingRow::paints = 0;
        rows.host.Paint();
        return CountingRow::paints;
    }
};
} // namespace

TEST_F(ManyRows, TenThousandRowsScrollWithOnlyTheRowsInViewPainted)
{
    constexpr int kRows = 10000;
    ListHost rows(600);
    rows.AddFiles(kRows);
    ASSERT_EQ(rows.list->GetCount(), kRows);
    ASSERT_EQ(rows.items.size(), static_cast<std::size_t>(kRows));
    EXPECT_EQ(rows.list->GetScrollRange(), kRows * 40 - 600);

    // 600 px of 40 px rows: 15 rows, 16 while one is cut at each end.
    EXPECT_LE(PaintedRows(rows), 16);
    EXPECT_GE(CountingRow::paints, 15);

    for (int position : {4000, 200000, kRows * 40 - 600})
    {
        rows.list->SetScrollPos(position);
        const int painted = PaintedRows(rows);
        EXPECT_GE(painted, 15);
        EXPECT_LE(painted, 16);
        // The row at the top of the view shows the item of its index.
        const int top = position / 40;
        CControlUI* row = rows.list->GetItemAt(top);
        EXPECT_EQ(row->GetPos().top, 0);
        EXPECT_EQ(rows.Text(top, L"file_name"), rows.items[static_cast<std::size_t>(top)]->m_strPath);
        EXPECT_EQ(rows.host.Manager().FindControl(POINT{100, 20}), rows.Control(top, L"file_name"));
    }

    // The wheel scrolls too, and a click lands on the row under the pointer.
    rows.list->SetScrollPos(0);
    rows.host.Wheel(400, 300, 2);
    const int position = rows.list->GetScrollPos();
    EXPECT_GT(position, 0);
    rows.host.notes.clear();
    const int index = (position + 20) / 40;
    const RECT rc = rows.Control(index, L"op_del")->GetPos();
    rows.host.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ASSERT_EQ(rows.host.Count(L"click"), 1);
    EXPECT_EQ(AsListItem(rowtest::RowOf(rows.host.notes.back().sender))->GetIndex(), index);
}
