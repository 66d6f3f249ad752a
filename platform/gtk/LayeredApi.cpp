// Layered window opacity: kept here for every window, and handed to the compositor when one runs.
#include "platform/Layered.h"
#include "platform/WinError.h"
#include "platform/gtk/DesktopBackend.h"

#include <mutex>
#include <unordered_map>

namespace
{
struct Layering
{
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
};

std::mutex g_lock;
std::unordered_map<HWND, Layering>& Table()
{
    static auto* const table = new std::unordered_map<HWND, Layering>;
    return *table;
}

bool IsLayered(HWND hwnd)
{
    if (!IsWindow(hwnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if ((static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_LAYERED) == 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}
} // namespace

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags)
{
    if (!IsLayered(hwnd))
        return FALSE;
    {
        std::lock_guard lock(g_lock);
        // Handles are never reused, so entries of destroyed windows only need sweeping now and then.
        std::erase_if(Table(), [](const auto& entry) { return !IsWindow(entry.first); });
        Table()[hwnd] = Layering{key, alpha, flags};
    }
    platform::Desktop().SetOpacity(hwnd, (flags & LWA_ALPHA) != 0 ? alpha / 255.0 : 1.0);
    return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags)
{
    if (!IsLayered(hwnd))
        return FALSE;
    Layering layering;
    {
        std::lock_guard lock(g_lock);
        if (auto it = Table().find(hwnd); it != Table().end())
            layering = it->second;
    }
    if (key != nullptr)
        *key = layering.key;
    if (alpha != nullptr)
        *alpha = layering.alpha;
    if (flags != nullptr)
        *flags = layering.flags;
    return TRUE;
}
