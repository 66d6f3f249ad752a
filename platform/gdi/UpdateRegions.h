#pragma once
// The update region and paint target of every window that was invalidated or painted, and the
// hooks through which the message core turns an update region into WM_PAINT.

#include "platform/Gdi.h"
#include "platform/Owned.h"
#include "platform/messages/MessageFilter.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform
{
using RegionPtr = CairoRegionPtr;
RegionPtr MakeRegion(const RECT* rect = nullptr);

class UpdateRegions
{
public:
    // Registers the message core hooks on first use.
    static UpdateRegions& Instance();

    // Adds rect (null: all of client) to the update region, clipped to the client area.
    void Invalidate(HWND hwnd, DWORD threadId, const RECT& client, const RECT* rect, bool erase);
    void Validate(HWND hwnd, const RECT* rect);
    bool IsInvalid(HWND hwnd);
    // BeginPaint: the update region clipped to client (emptied in the table) and whether the
    // background was to be erased.
    RegionPtr Take(HWND hwnd, const RECT& client, bool* erase);
    std::shared_ptr<PaintTarget> Target(HWND hwnd, DWORD threadId);
    cairo_surface_t* HeadlessSurface(HWND hwnd);
    PaintTargetFactory SetFactory(PaintTargetFactory factory);

private:
    struct Entry
    {
        DWORD threadId = 0;
        RegionPtr invalid = MakeRegion();
        bool erase = false;
        std::shared_ptr<PaintTarget> target;
    };

    UpdateRegions() = default;
    Entry& EntryLocked(HWND hwnd, DWORD threadId);
    bool FindPaint(DWORD threadId, const MessageFilter& filter, MSG* msg);
    void Forget(HWND hwnd);
    void ForgetThread(DWORD threadId);

    std::mutex m_lock;
    std::unordered_map<HWND, Entry> m_windows;
    PaintTargetFactory m_factory = nullptr;
};
} // namespace platform
