#include "platform/gdi/UpdateRegions.h"

#include "platform/Gdi.h"
#include "platform/gdi/SurfacePaintTarget.h"
#include "platform/messages/MessageQueue.h"
#include "platform/messages/PaintHook.h"

#include <utility>

namespace platform
{
namespace
{
cairo_rectangle_int_t ToCairo(const RECT& rect)
{
    return cairo_rectangle_int_t{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::unique_ptr<PaintTarget> MakeSurfaceTarget(HWND)
{
    return std::make_unique<SurfacePaintTarget>();
}
} // namespace

RegionPtr MakeRegion(const RECT* rect)
{
    if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top)
        return RegionPtr(cairo_region_create());
    const cairo_rectangle_int_t area = ToCairo(*rect);
    return RegionPtr(cairo_region_create_rectangle(&area));
}

UpdateRegions& UpdateRegions::Instance()
{
    static UpdateRegions* const instance = [] {
        auto* regions = new UpdateRegions;
        PaintHooks hooks;
        hooks.findPaint = [](DWORD threadId, const MessageFilter& filter, MSG* msg) {
            return Instance().FindPaint(threadId, filter, msg);
        };
        hooks.forgetWindow = [](HWND hwnd) { Instance().Forget(hwnd); };
        hooks.forgetThread = [](DWORD threadId) { Instance().ForgetThread(threadId); };
        hooks.invalidateWindow = [](HWND hwnd) { ::InvalidateRect(hwnd, nullptr, TRUE); };
        hooks.validateWindow = [](HWND hwnd) { Instance().Validate(hwnd, nullptr); };
        SetPaintHooks(hooks);
        return regions;
    }();
    return *instance;
}

namespace
{
// The hooks must be in place before the first window is shown (it is painted whole then), not
// only once something calls a paint function.
[[maybe_unused]] const bool g_hooksInstalled = (UpdateRegions::Instance(), true);
} // namespace

UpdateRegions::Entry& UpdateRegions::EntryLocked(HWND hwnd, DWORD threadId)
{
    Entry& entry = m_windows[hwnd];
    entry.threadId = threadId;
    return entry;
}

void UpdateRegions::Invalidate(HWND hwnd, DWORD threadId, const RECT& client, const RECT* rect, bool erase)
{
    RegionPtr added = MakeRegion(rect != nullptr ? rect : &client);
    const cairo_rectangle_int_t clientArea = ToCairo(client);
    cairo_region_intersect_rectangle(added.get(), &clientArea);
    std::lock_guard lock(m_lock);
    Entry& entry = EntryLocked(hwnd, threadId);
    if (cairo_region_is_empty(added.get()))
        return;
    cairo_region_union(entry.invalid.get(), added.get());
    entry.erase = entry.erase || erase;
}

void UpdateRegions::Validate(HWND hwnd, const RECT* rect)
{
    std::lock_guard lock(m_lock);
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end())
        return;
    Entry& entry = it->second;
    if (rect == nullptr)
        entry.invalid = MakeRegion();
    else
        cairo_region_subtract(entry.invalid.get(), MakeRegion(rect).get());
    if (cairo_region_is_empty(entry.invalid.get()))
        entry.erase = false;
}

bool UpdateRegions::IsInvalid(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    auto it = m_windows.find(hwnd);
    return it != m_windows.end() && !cairo_region_is_empty(it->second.invalid.get());
}

RegionPtr UpdateRegions::Take(HWND hwnd, const RECT& client, bool* erase)
{
    RegionPtr taken = MakeRegion();
    *erase = false;
    {
        std::lock_guard lock(m_lock);
        auto it = m_windows.find(hwnd);
        if (it != m_windows.end())
        {
            std::swap(taken, it->second.invalid);
            *erase = std::exchange(it->second.erase, false);
        }
    }
    // The window may have shrunk since the region was added.
    const cairo_rectangle_int_t clientArea = ToCairo(client);
    cairo_region_intersect_rectangle(taken.get(), &clientArea);
    return taken;
}

std::shared_ptr<PaintTarget> UpdateRegions::Target(HWND hwnd, DWORD threadId)
{
    std::lock_guard lock(m_lock);
    Entry& entry = EntryLocked(hwnd, threadId);
    if (!entry.target)
        entry.target = m_factory != nullptr ? m_factory(hwnd) : MakeSurfaceTarget(hwnd);
    return entry.target;
}

cairo_surface_t* UpdateRegions::HeadlessSurface(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end())
        return nullptr;
    auto* surface = dynamic_cast<SurfacePaintTarget*>(it->second.target.get());
    return surface != nullptr ? surface->Surface() : nullptr;
}

PaintTargetFactory UpdateRegions::SetFactory(PaintTargetFactory factory)
{
    std::lock_guard lock(m_lock);
    return std::exchange(m_factory, factory);
}

bool UpdateRegions::FindPaint(DWORD threadId, const MessageFilter& filter, MSG* msg)
{
    std::lock_guard lock(m_lock);
    for (const auto& [hwnd, entry] : m_windows)
    {
        if (entry.threadId == threadId && filter.MatchesWindow(hwnd) &&
            !cairo_region_is_empty(entry.invalid.get()))
        {
            *msg = MSG{hwnd, WM_PAINT, 0, 0, TickNow(), POINT{}};
            return true;
        }
    }
    return false;
}

void UpdateRegions::Forget(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    m_windows.erase(hwnd);
}

void UpdateRegions::ForgetThread(DWORD threadId)
{
    std::lock_guard lock(m_lock);
    std::erase_if(m_windows, [&](const auto& item) { return item.second.threadId == threadId; });
}
} // namespace platform
