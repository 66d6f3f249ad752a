#include "tests/main/settings/SettingsKit.h"

#include "platform/Gdi.h"
#include "tests/support/ChildProcess.h"

#include <cairo.h>

#include <string>
#include <vector>

using namespace DuiLib;

namespace settingstest
{
namespace
{
LPARAM PointParam(POINT pt)
{
    return MAKELPARAM(pt.x, pt.y);
}

POINT CentreOf(CControlUI* control)
{
    const RECT rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

void Key(HWND hwnd, UINT message, WPARAM key)
{
    platform::headless::InjectMessage(hwnd, message, key, 0);
}
} // namespace

bool MakeImage(int width, int height, const std::string& path)
{
    testsupport::ChildProcess convert;
    return convert.StartProgram("convert", {"-size", std::to_string(width) + "x" + std::to_string(height),
                                            "gradient:#5e70c4-#ffffff", "PNG24:" + path}) &&
           testsupport::ExitCode(convert.Wait()) == 0;
}

bool SlideTo(WindowImplBase* window, LPCTSTR name, int value)
{
    auto* slider = dynamic_cast<CSliderUI*>(window->GetPaintManager().FindControl(name));
    if (slider == nullptr)
        return false;
    const RECT rc = slider->GetPos();
    const LONG y = (rc.top + rc.bottom) / 2;
    for (LONG x = rc.left; x < rc.right; ++x)
    {
        if (slider->ValueAt(POINT{x, y}) != value)
            continue;
        const HWND hwnd = window->GetHWND();
        platform::headless::InjectMessage(hwnd, WM_MOUSEMOVE, 0, PointParam(POINT{x, y}));
        platform::headless::InjectMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(POINT{x, y}));
        platform::headless::InjectMessage(hwnd, WM_LBUTTONUP, 0, PointParam(POINT{x, y}));
        dialogtest::Pump();
        return true;
    }
    return false;
}

bool TypeAndLeave(WindowImplBase* window, LPCTSTR name, const std::wstring& text)
{
    CControlUI* edit = window->GetPaintManager().FindControl(name);
    if (edit == nullptr)
        return false;
    const HWND hwnd = window->GetHWND();
    const LPARAM at = PointParam(CentreOf(edit));
    platform::headless::InjectMessage(hwnd, WM_MOUSEMOVE, 0, at);
    platform::headless::InjectMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    platform::headless::InjectMessage(hwnd, WM_LBUTTONUP, 0, at);
    Key(hwnd, WM_CHAR, 0x01); // Ctrl+A
    Key(hwnd, WM_KEYDOWN, VK_DELETE);
    for (wchar_t ch : text)
        Key(hwnd, WM_CHAR, ch);
    Key(hwnd, WM_KEYDOWN, VK_TAB);
    dialogtest::Pump();
    return window->GetPaintManager().GetFocus() != edit;
}

std::wstring TextOf(WindowImplBase* window, LPCTSTR name)
{
    CControlUI* control = window->GetPaintManager().FindControl(name);
    return control != nullptr ? std::wstring(control->GetText()) : std::wstring(L"<missing>");
}

int SliderValue(WindowImplBase* window, LPCTSTR name)
{
    auto* slider = dynamic_cast<CSliderUI*>(window->GetPaintManager().FindControl(name));
    return slider != nullptr ? slider->GetValue() : -1;
}

OpenSetting::OpenSetting(const FileItem& item, int rowIndex)
    : m_owner(dialogtest::MakePlainWindow(L"main", SW_SHOW))
{
    m_dlg.m_nRowIndex = rowIndex;
    m_dlg.m_item = item;
    if (m_dlg.Create(m_owner, L"设置", kDialogStyle, WS_EX_APPWINDOW) == nullptr)
        return;
    m_dlg.CenterWindow();
    dialogtest::Pump();
}

OpenSetting::~OpenSetting()
{
    if (m_dlg.GetHWND() != nullptr)
        ::DestroyWindow(m_dlg.GetHWND());
    ::DestroyWindow(m_owner);
    dialogtest::Pump();
}

unsigned PixelAt(HWND hwnd, int x, int y)
{
    cairo_surface_t* surface = platform::headless::WindowSurface(hwnd);
    if (surface == nullptr || x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) ||
        y >= cairo_image_surface_get_height(surface))
        return 0xFFFFFFFFu;
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFFu;
}

void SavePainted(HWND hwnd, const std::string& path)
{
    if (cairo_surface_t* surface = platform::headless::WindowSurface(hwnd))
        cairo_surface_write_to_png(surface, path.c_str());
}
} // namespace settingstest
