// The window framework headless, as a plain timed driver:
//  1. building a 1000 x 640 window from a skin of about 60 controls (layouts, labels, buttons
//     with images, options, edits, a list of 20 rows) and painting it the first time, median of
//     50 runs;
//  2. painting a 10,000-row list while it scrolls: the time of one frame (scroll one step, lay
//     out, paint the window). Only the rows in view should cost anything.

#include "ui/ListLabelElementUI.h"
#include "ui/ListUI.h"
#include "ui/WindowImplBase.h"

#include <algorithm>
#include <cairo.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace DuiLib;

namespace
{
constexpr int kBuildRuns = 50;
constexpr int kRows = 10000;
constexpr int kFrames = 2000;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void WritePng(const std::string& path, double r, double g, double b)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 30);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, r, g, b, 1.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

std::string Button(int i)
{
    return "<Button name=\"btn" + std::to_string(i) +
           "\" width=\"90\" text=\"按钮\" normalimage=\"file='btn.png' corner='5,5,5,5'\" "
           "hotimage=\"btn_hover.png\" pushedimage=\"btn_pushed.png\"/>";
}

// A title bar, a side bar of options, a form of labels and edits, a row of buttons and a list.
std::string SkinXml()
{
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Window size=\"1000,640\" caption=\"0,0,0,40\">"
        "<Font id=\"0\" name=\"Microsoft YaHei\" size=\"14\" default=\"true\"/>"
        "<VerticalLayout bkcolor=\"#FFF5F6FA\">"
        "<HorizontalLayout height=\"40\" bkcolor=\"#FF5E70C4\"><Label text=\"Pictavo\" "
        "textcolor=\"#FFFFFFFF\"/>" +
        Button(0) + Button(1) + "</HorizontalLayout><HorizontalLayout><VerticalLayout width=\"160\">";
    for (int i = 0; i < 6; ++i)
        xml += "<Option name=\"side" + std::to_string(i) +
               "\" height=\"48\" group=\"side\" text=\"选项\" normalimage=\"btn.png\" "
               "selectedimage=\"btn_pushed.png\"/>";
    xml += "</VerticalLayout><VerticalLayout padding=\"10,10,10,10\">";
    for (int i = 0; i < 6; ++i)
        xml += "<HorizontalLayout height=\"32\"><Label width=\"120\" text=\"输出目录\"/><Edit name=\"edit" +
               std::to_string(i) +
               "\" bkcolor=\"#FFFFFFFF\" text=\"/home/user/pictures\"/></HorizontalLayout>";
    xml += "<HorizontalLayout height=\"40\">";
    for (int i = 2; i < 8; ++i)
        xml += Button(i);
    xml += "</HorizontalLayout><List name=\"files\" itemlinecolor=\"#FFEEEEEE\">";
    for (int i = 0; i < 20; ++i)
        xml += "<ListLabelElement height=\"24\" text=\"photo_" + std::to_string(i) + ".heic\"/>";
    return xml + "</List></VerticalLayout></HorizontalLayout></VerticalLayout></Window>";
}

// The skin and its images in a private folder, made the skin source of the process.
std::string PrepareSkin()
{
    char pattern[] = "/tmp/uibench-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (dir == nullptr)
        return {};
    const std::string folder = std::string(dir) + "/";
    WritePng(folder + "btn.png", 0.37, 0.44, 0.77);
    WritePng(folder + "btn_hover.png", 0.45, 0.52, 0.85);
    WritePng(folder + "btn_pushed.png", 0.30, 0.36, 0.66);
    std::ofstream(folder + "bench.xml") << SkinXml();
    CPaintManagerUI::SetResourcePath(std::wstring(folder.begin(), folder.end()).c_str());
    return folder;
}

class SkinWindow : public WindowImplBase
{
public:
    LPCTSTR GetWindowClassName() const override { return L"UiBenchSkin"; }
    CDuiString GetSkinFile() override { return L"bench.xml"; }
};

double BuildAndFirstPaint(int* controls)
{
    const auto start = Clock::now();
    SkinWindow window;
    window.Create(nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0);
    ::UpdateWindow(window.GetHWND());
    const double elapsed = Milliseconds(Clock::now() - start);
    std::vector<CControlUI*> all;
    if (CControlUI* root = window.GetPaintManager().GetRoot())
        root->FindControl(
            [](CControlUI* c, LPVOID data) -> CControlUI* {
                static_cast<std::vector<CControlUI*>*>(data)->push_back(c);
                return nullptr;
            },
            &all, UIFIND_ALL);
    *controls = static_cast<int>(all.size());
    ::DestroyWindow(window.GetHWND());
    return elapsed;
}

void BenchBuild()
{
    const std::string folder = PrepareSkin();
    if (folder.empty())
        return;
    std::vector<double> times;
    int controls = 0;
    for (int run = 0; run < kBuildRuns; ++run)
        times.push_back(BuildAndFirstPaint(&controls));
    std::sort(times.begin(), times.end());
    std::printf("skin window 1000x640, %d controls: build + first paint median %.2f ms (min %.2f, max %.2f, "
                "%d runs)\n",
                controls, times[times.size() / 2], times.front(), times.back(), kBuildRuns);
    std::system(("rm -rf '" + folder + "'").c_str());
}

class ListWindow : public CWindowWnd
{
public:
    CPaintManagerUI pm;

protected:
    LPCTSTR GetWindowClassName() const override { return L"UiBenchList"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, result))
            return result;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
};

void BenchListScroll()
{
    ListWindow window;
    window.Create(nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 0, 944, 600);
    window.pm.Init(window.GetHWND());
    auto* list = new CListUI;
    list->SetAttribute(L"itemselectedbkcolor", L"#FFE0E0FF");
    list->SetAttribute(L"itemlinecolor", L"#FFEEEEEE");
    window.pm.AttachDialog(list);

    auto start = Clock::now();
    for (int i = 0; i < kRows; ++i)
    {
        auto* row = new CListLabelElementUI;
        row->SetText((L"C:/images/photo_" + std::to_wstring(i) + L".heic").c_str());
        row->SetFixedHeight(40);
        list->Add(row);
    }
    ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
    ::UpdateWindow(window.GetHWND());
    const double build = Milliseconds(Clock::now() - start);

    start = Clock::now();
    int position = 0;
    for (int frame = 0; frame < kFrames; ++frame)
    {
        position = (position + 37) % (list->GetScrollRange() + 1);
        list->SetScrollPos(position);
        ::UpdateWindow(window.GetHWND());
    }
    const double frames = Milliseconds(Clock::now() - start);
    std::printf("list of %d rows, window 944x600, 15 rows in view\n", kRows);
    std::printf("  add + first layout and paint: %.1f ms\n", build);
    std::printf("  scroll + paint: %.3f ms per frame over %d frames\n", frames / kFrames, kFrames);
    ::DestroyWindow(window.GetHWND());
}
} // namespace

int main()
{
    BenchBuild();
    BenchListScroll();
    return 0;
}
