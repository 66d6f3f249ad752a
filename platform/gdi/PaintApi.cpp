// Painting windows: update regions, WM_PAINT's BeginPaint/EndPaint, and window device contexts.
#include "platform/WinError.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/UpdateRegions.h"
#include "platform/messages/PaintHook.h"

namespace
{
using platform::DeviceContext;
using platform::UpdateRegions;

struct WindowInfo
{
    DWORD threadId = 0;
    RECT client{};
};

bool QueryWindow(HWND hwnd, WindowInfo* info)
{
    if (hwnd == nullptr || !IsWindow(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    info->threadId = GetWindowThreadProcessId(hwnd, nullptr);
    GetClientRect(hwnd, &info->client);
    return true;
}

void ClipToRegion(cairo_t* cr, const cairo_region_t* region)
{
    cairo_new_path(cr);
    const int count = cairo_region_num_rectangles(region);
    for (int i = 0; i < count; ++i)
    {
        cairo_rectangle_int_t area;
        cairo_region_get_rectangle(region, i, &area);
        cairo_rectangle(cr, area.x, area.y, area.width, area.height);
    }
    cairo_clip(cr);
}

// A device context on the window's paint target; the target gets the context back when the
// device context is released.
HDC OpenWindowDC(HWND hwnd, const WindowInfo& info, const cairo_region_t* clip)
{
    auto target = UpdateRegions::Instance().Target(hwnd, info.threadId);
    cairo_t* cr = target->Open(info.client.right - info.client.left, info.client.bottom - info.client.top);
    if (cr == nullptr)
        return nullptr;
    if (clip != nullptr)
        ClipToRegion(cr, clip);
    const HDC dc = platform::CreateCairoDC(cr);
    DeviceContext* context = DeviceContext::From(dc);
    context->m_target = std::move(target);
    context->m_targetContext = cr;
    return dc;
}

BOOL CloseWindowDC(HDC dc)
{
    std::unique_ptr<DeviceContext> context = DeviceContext::Unregister(dc);
    if (context == nullptr)
        return FALSE;
    if (context->m_target)
        context->m_target->Close(context->m_targetContext);
    return TRUE;
}

RECT BoundsOf(const cairo_region_t* region)
{
    cairo_rectangle_int_t area;
    cairo_region_get_extents(region, &area);
    return RECT{area.x, area.y, area.x + area.width, area.y + area.height};
}

// A device context for measuring only: GetDC(NULL) stands for the screen.
HDC OpenScratchDC()
{
    const platform::CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    const platform::CairoPtr cr(cairo_create(surface.get()));
    return platform::CreateCairoDC(cr.get()); // holds its own reference
}
} // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    WindowInfo info;
    if (!QueryWindow(hwnd, &info))
        return FALSE;
    UpdateRegions::Instance().Invalidate(hwnd, info.threadId, info.client, rect, erase != FALSE);
    platform::GetWindowBackend().Invalidate(hwnd, rect);
    platform::WakeForPaint(info.threadId);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    WindowInfo info;
    if (!QueryWindow(hwnd, &info))
        return FALSE;
    UpdateRegions::Instance().Validate(hwnd, rect);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    WindowInfo info;
    if (!QueryWindow(hwnd, &info))
        return FALSE;
    if (UpdateRegions::Instance().IsInvalid(hwnd))
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint)
{
    WindowInfo info;
    if (paint == nullptr || !QueryWindow(hwnd, &info))
        return nullptr;
    *paint = PAINTSTRUCT{};
    bool erase = false;
    const platform::RegionPtr region = UpdateRegions::Instance().Take(hwnd, info.client, &erase);
    const HDC dc = OpenWindowDC(hwnd, info, region.get());
    if (dc == nullptr)
        return nullptr;
    paint->hdc = dc;
    paint->rcPaint = BoundsOf(region.get());
    // A procedure that erased the background answers nonzero; otherwise painting must erase.
    paint->fErase = erase && SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint)
{
    if (paint == nullptr || paint->hdc == nullptr)
        return FALSE;
    return CloseWindowDC(paint->hdc);
}

HDC GetDC(HWND hwnd)
{
    if (hwnd == nullptr)
        return OpenScratchDC();
    WindowInfo info;
    if (!QueryWindow(hwnd, &info))
        return nullptr;
    return OpenWindowDC(hwnd, info, nullptr);
}

int ReleaseDC(HWND hwnd, HDC dc)
{
    return CloseWindowDC(dc);
}

namespace platform
{
PaintTargetFactory SetPaintTargetFactory(PaintTargetFactory factory)
{
    return UpdateRegions::Instance().SetFactory(factory);
}

namespace headless
{
cairo_surface_t* WindowSurface(HWND hwnd)
{
    return UpdateRegions::Instance().HeadlessSurface(hwnd);
}
} // namespace headless
} // namespace platform
