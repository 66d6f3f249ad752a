// The tray icon table. The platform keeps every icon itself and tells the installed
// NotifyIconBackend what changed; the headless backend keeps nothing more.
#include "platform/NotifyIcon.h"
#include "platform/Resources.h"
#include "platform/WinError.h"

#include <algorithm>
#include <mutex>

namespace
{
using platform::NotifyIconBackend;
using platform::NotifyIconState;

// Icon handles name the program's icon resources: a tag in the high bits, the id in the low.
constexpr std::uintptr_t kIconTag = 0x1C0000;
HICON const kApplicationIcon = reinterpret_cast<HICON>(kIconTag | 32512);

class HeadlessNotifyIcons final : public NotifyIconBackend
{
public:
    void Add(const NotifyIconState&) override {}
    void Modify(const NotifyIconState&) override {}
    void Delete(const NotifyIconState&) override {}
};

std::mutex g_lock;
std::vector<NotifyIconState> g_icons;
HeadlessNotifyIcons g_headless;
NotifyIconBackend* g_backend = &g_headless;

std::vector<NotifyIconState>::iterator FindIcon(HWND hwnd, UINT id)
{
    return std::find_if(g_icons.begin(), g_icons.end(),
                        [&](const NotifyIconState& icon) { return icon.hwnd == hwnd && icon.id == id; });
}

void Apply(const NOTIFYICONDATAW& data, NotifyIconState& icon)
{
    if ((data.uFlags & NIF_MESSAGE) != 0)
        icon.callbackMessage = data.uCallbackMessage;
    if ((data.uFlags & NIF_ICON) != 0)
        icon.icon = data.hIcon;
    if ((data.uFlags & NIF_TIP) != 0)
        icon.tip.assign(data.szTip, std::find(data.szTip, data.szTip + 128, L'\0'));
}
} // namespace

BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data)
{
    if (data == nullptr || (message == NIM_ADD && !IsWindow(data->hWnd)))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    NotifyIconState changed;
    NotifyIconBackend* backend = nullptr;
    {
        std::lock_guard lock(g_lock);
        auto found = FindIcon(data->hWnd, data->uID);
        if ((message == NIM_ADD) == (found != g_icons.end()) || message > NIM_DELETE)
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (message == NIM_ADD)
        {
            NotifyIconState icon;
            icon.hwnd = data->hWnd;
            icon.id = data->uID;
            Apply(*data, icon);
            g_icons.push_back(icon);
            changed = icon;
        }
        else if (message == NIM_MODIFY)
        {
            Apply(*data, *found);
            changed = *found;
        }
        else
        {
            changed = *found;
            g_icons.erase(found);
        }
        backend = g_backend;
    }
    if (message == NIM_ADD)
        backend->Add(changed);
    else if (message == NIM_MODIFY)
        backend->Modify(changed);
    else
        backend->Delete(changed);
    return TRUE;
}

HICON LoadIconW(HINSTANCE, LPCWSTR name)
{
    const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    if (reinterpret_cast<std::uintptr_t>(name) > 0xFFFF)
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (name == IDI_APPLICATION)
        return kApplicationIcon;
    if (platform::FindResourceData(L"ICON", id).empty())
        return nullptr; // the last error is set
    return reinterpret_cast<HICON>(kIconTag | id);
}

namespace platform
{
NotifyIconBackend* SetNotifyIconBackend(NotifyIconBackend* backend)
{
    std::lock_guard lock(g_lock);
    NotifyIconBackend* previous = g_backend == &g_headless ? nullptr : g_backend;
    g_backend = backend != nullptr ? backend : &g_headless;
    return previous;
}

BOOL SetNotifyIconMenu(HWND hwnd, UINT id, const std::vector<NotifyIconMenuRow>& rows)
{
    NotifyIconState icon;
    NotifyIconBackend* backend = nullptr;
    {
        std::lock_guard lock(g_lock);
        auto found = FindIcon(hwnd, id);
        if (found == g_icons.end())
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        icon = *found;
        backend = g_backend;
    }
    backend->SetMenu(icon, rows);
    return TRUE;
}

std::vector<unsigned char> IconImage(HICON icon)
{
    const auto value = reinterpret_cast<std::uintptr_t>(icon);
    if ((value & ~std::uintptr_t{0xFFFF}) != kIconTag || icon == kApplicationIcon)
        return {};
    const auto data = FindResourceData(L"ICON", static_cast<WORD>(value & 0xFFFF));
    return std::vector<unsigned char>(data.begin(), data.end());
}

namespace headless
{
std::vector<NotifyIconState> NotifyIcons()
{
    std::lock_guard lock(g_lock);
    return g_icons;
}
} // namespace headless
} // namespace platform
