#include "platform/shell/DropFiles.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform
{
namespace
{
std::mutex g_lock;
std::unordered_map<HDROP, std::unique_ptr<DropFiles>> g_drops;

bool InClientArea(HWND hwnd, POINT point)
{
    RECT client{};
    return GetClientRect(hwnd, &client) != FALSE && point.x >= client.left && point.x < client.right &&
           point.y >= client.top && point.y < client.bottom;
}

// Looks at a live drop under the lock; false for a handle that is not one.
template <class Reader> bool Read(HDROP drop, Reader&& reader)
{
    std::lock_guard lock(g_lock);
    const auto found = g_drops.find(drop);
    if (found == g_drops.end())
        return false;
    reader(*found->second);
    return true;
}
} // namespace

DropFiles::DropFiles(HWND hwnd, std::vector<std::wstring> paths, POINT point)
    : m_hwnd(hwnd), m_paths(std::move(paths)), m_point(point), m_inClient(InClientArea(hwnd, point))
{
}

BOOL DropFiles::Post(HWND hwnd, std::vector<std::wstring> paths, POINT point)
{
    Sweep();
    std::unique_ptr<DropFiles> files(new DropFiles(hwnd, std::move(paths), point));
    const HDROP drop = reinterpret_cast<HDROP>(files.get());
    {
        std::lock_guard lock(g_lock);
        g_drops.emplace(drop, std::move(files));
    }
    if (PostMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0))
        return TRUE;
    Finish(drop);
    return FALSE;
}

bool DropFiles::Count(HDROP drop, UINT& count)
{
    return Read(drop, [&](const DropFiles& files) { count = static_cast<UINT>(files.m_paths.size()); });
}

bool DropFiles::Name(HDROP drop, UINT index, std::wstring& name)
{
    bool known = false;
    Read(drop, [&](const DropFiles& files) {
        known = index < files.m_paths.size();
        if (known)
            name = files.m_paths[index];
    });
    return known;
}

bool DropFiles::Point(HDROP drop, POINT& point, bool& inClient)
{
    return Read(drop, [&](const DropFiles& files) {
        point = files.m_point;
        inClient = files.m_inClient;
    });
}

void DropFiles::Finish(HDROP drop)
{
    std::unique_ptr<DropFiles> files;
    std::lock_guard lock(g_lock);
    const auto found = g_drops.find(drop);
    if (found != g_drops.end())
    {
        files = std::move(found->second);
        g_drops.erase(found);
    }
}

void DropFiles::Sweep()
{
    std::lock_guard lock(g_lock);
    // Window handles are never reused, so a drop whose window is gone can never be finished.
    std::erase_if(g_drops, [](const auto& entry) { return IsWindow(entry.second->m_hwnd) == FALSE; });
}
} // namespace platform
