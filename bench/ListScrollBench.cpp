// Painting a 10,000-row list while it scrolls, headless: the time of one frame (scroll one
// step, lay out, paint the window). Only the rows in view should cost anything.

#include "ListLabelElementUI.h"
#include "ListUI.h"
#include "PaintManagerUI.h"
#include "WindowWnd.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace DuiLib;

namespace
{
constexpr int kRows = 10000;
constexpr int kFrames = 2000;

class BenchWindow : public CWindowWnd
{
public:
    CPaintManagerUI pm;

protected:
    LPCTSTR GetWindowClassName() const override { return L"ListScrollBench"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, result))
            return result;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
};

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}
} // namespace

int main()
{
    BenchWindow window;
    window.Create(nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 0, 944, 600);
    window.pm.Init(window.GetHWND());
    auto* list = new CListUI;
    list->SetAttribute(L"itemselectedbkcolor", L"#FFE0E0FF");
    list->SetAttribute(L"itemlinecolor", L"#FFEEEEEE");
    window.pm.AttachDialog(list);

    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRows; ++i)
    {
        auto* row = new CListLabelElementUI;
        row->SetText((L"C:/images/photo_" + std::to_wstring(i) + L".heic").c_str());
        row->SetFixedHeight(40);
        list->Add(row);
    }
    ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(window.GetHWND());
    const double build = Milliseconds(std::chrono::steady_clock::now() - start);

    start = std::chrono::steady_clock::now();
    int position = 0;
    for (int frame = 0; frame < kFrames; ++frame)
    {
        position = (position + 37) % (list->GetScrollRange() + 1);
        list->SetScrollPos(position);
        ::UpdateWindow(window.GetHWND());
    }
    const double frames = Milliseconds(std::chrono::steady_clock::now() - start);
    std::printf("rows %d, window 944x600, 15 rows in view\n", kRows);
    std::printf("add + first layout and paint: %.1f ms\n", build);
    std::printf("scroll + paint: %.3f ms per frame over %d frames\n", frames / kFrames, kFrames);
    ::DestroyWindow(window.GetHWND());
    return 0;
}
