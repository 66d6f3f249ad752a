// The file-row list of a tab with 10,000 photos, headless: rows built from the kept row
// markup, one sort, the first layout and paint; then the time of one scroll frame (scroll one
// step, lay out, paint the window). Only the rows in view should cost anything per frame.
//   bench_rows [rows]

#include "main/FileItem.h"
#include "main/LineListUI.h"
#include "tests/support/ControlHost.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace DuiLib;

namespace
{
constexpr int kFrames = 2000;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

FileItem* MakeItem(int id)
{
    auto* item = new FileItem;
    item->m_nId = id;
    item->m_strPath = L"/home/user/Pictures/2024/IMG_" + std::to_wstring(10000 + id) + L".heic";
    item->m_strType = L"HEIC";
    item->m_nKind = TAB_COMPRESS; // the busiest rows: four buttons placed by each refresh
    return item;
}
} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    CPaintManagerUI::SetResourcePath(L"" PICTAVO_ROW_SKIN_DIR);
    ControlHost host(944, 600);
    CControlUI* root = host.Load(L"<LineList header=\"hidden\" vscrollbar=\"true\"/>");
    auto* list = root ? static_cast<CLineListUI*>(root->GetInterface(L"LineList")) : nullptr;
    if (list == nullptr)
        return 1;
    const HWND hwnd = host.GetHWND();
    std::vector<FileItem*> items;
    items.reserve(static_cast<std::size_t>(rows));

    const auto start = Clock::now();
    for (int i = 0; i < rows; ++i)
        list->AddLine(items, MakeItem(i));
    const auto added = Clock::now();
    list->SortLines();
    const auto sorted = Clock::now();
    host.Paint();
    const auto painted = Clock::now();
    if (list->GetCount() != rows)
    {
        std::fprintf(stderr, "only %d of %d rows were built (is LineItem.xml in %s?)\n", list->GetCount(),
                     rows, PICTAVO_ROW_SKIN_DIR);
        return 1;
    }

    // Sorting a sorted list again, as every start of a conversion does.
    const auto resortStart = Clock::now();
    list->SortLines();
    const double resort = Milliseconds(Clock::now() - resortStart);

    const auto framesStart = Clock::now();
    int position = 0;
    for (int frame = 0; frame < kFrames; ++frame)
    {
        position = (position + 37) % (list->GetScrollRange() + 1);
        list->SetScrollPos(position);
        ::UpdateWindow(hwnd);
    }
    const double frames = Milliseconds(Clock::now() - framesStart);

    std::printf("rows %d, window 944x600, 15 rows in view\n", rows);
    std::printf("add rows: %.1f ms, sort: %.1f ms, first layout and paint: %.1f ms, total %.1f ms\n",
                Milliseconds(added - start), Milliseconds(sorted - added), Milliseconds(painted - sorted),
                Milliseconds(painted - start));
    std::printf("sort again: %.1f ms\n", resort);
    std::printf("scroll + paint: %.3f ms per frame over %d frames\n", frames / kFrames, kFrames);

    list->RemoveAll();
    for (FileItem* item : items)
        delete item;
    return 0;
}
