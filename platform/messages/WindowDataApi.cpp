// Window titles, relations and window longs.
#include "platform/WinError.h"
#include "platform/Window.h"
#include "platform/messages/WindowHooks.h"
#include "platform/messages/WindowTable.h"

#include <cstring>
#include <unistd.h>

using namespace platform;

namespace
{
WindowTable& Table()
{
    return WindowTable::Instance();
}

bool IsChildRecord(const WindowRecord& r)
{
    return (r.style & WS_CHILD) != 0;
}

bool ExtraInRange(const WindowRecord& r, int index)
{
    return index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= r.extra.size();
}

bool GetLong(const WindowRecord& r, int index, LONG_PTR* value)
{
    switch (index)
    {
    case GWLP_WNDPROC:
        *value = reinterpret_cast<LONG_PTR>(r.proc);
        return true;
    case GWLP_HINSTANCE:
        *value = reinterpret_cast<LONG_PTR>(r.instance);
        return true;
    case GWLP_HWNDPARENT:
        *value = reinterpret_cast<LONG_PTR>(IsChildRecord(r) ? r.parent : r.owner);
        return true;
    case GWLP_ID:
        *value = r.id;
        return true;
    case GWL_STYLE:
        *value = static_cast<LONG>(r.style);
        return true;
    case GWL_EXSTYLE:
        *value = static_cast<LONG>(r.exStyle);
        return true;
    case GWLP_USERDATA:
        *value = r.userData;
        return true;
    default:
        break;
    }
    if (!ExtraInRange(r, index))
        return false;
    std::memcpy(value, r.extra.data() + index, sizeof(LONG_PTR));
    return true;
}

bool SetLong(WindowRecord& r, int index, LONG_PTR value)
{
    switch (index)
    {
    case GWLP_WNDPROC:
        r.proc = reinterpret_cast<WNDPROC>(value);
        return true;
    case GWLP_HINSTANCE:
        r.instance = reinterpret_cast<HINSTANCE>(value);
        return true;
    case GWLP_ID:
        r.id = value;
        return true;
    case GWL_STYLE:
        r.style = static_cast<DWORD>(value);
        return true;
    case GWL_EXSTYLE:
        r.exStyle = static_cast<DWORD>(value);
        return true;
    case GWLP_USERDATA:
        r.userData = value;
        return true;
    case GWLP_HWNDPARENT:
        // Changes the owner of a top-level window, as on Windows.
        if (IsChildRecord(r))
            return false;
        r.owner = reinterpret_cast<HWND>(value);
        return true;
    default:
        break;
    }
    if (!ExtraInRange(r, index))
        return false;
    std::memcpy(r.extra.data() + index, &value, sizeof(LONG_PTR));
    return true;
}

// The parent of a child, the owner of a popup (GetParent's rule), under the caller's lock.
HWND ParentOrOwnerLocked(const WindowRecord& r)
{
    if (IsChildRecord(r))
        return r.parent;
    return (r.style & WS_POPUP) != 0 ? r.owner : nullptr;
}

HWND RootLocked(HWND hwnd)
{
    const WindowRecord* r = Table().FindLocked(hwnd);
    while (r != nullptr && IsChildRecord(*r) && r->parent != nullptr)
    {
        hwnd = r->parent;
        r = Table().FindLocked(hwnd);
    }
    return hwnd;
}

HWND RootOwnerLocked(HWND hwnd)
{
    hwnd = RootLocked(hwnd);
    for (const WindowRecord* r = Table().FindLocked(hwnd); r != nullptr && r->owner != nullptr;
         r = Table().FindLocked(hwnd))
        hwnd = RootLocked(r->owner);
    return hwnd;
}

HWND SiblingLocked(const WindowRecord& r, UINT command)
{
    const WindowRecord* parent = Table().FindLocked(r.parent);
    if (parent == nullptr || parent->children.empty())
        return nullptr;
    const auto& list = parent->children;
    const auto it = std::find(list.begin(), list.end(), r.hwnd);
    switch (command)
    {
    case GW_HWNDFIRST:
        return list.front();
    case GW_HWNDLAST:
        return list.back();
    case GW_HWNDNEXT:
        return it == list.end() || it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
        return it == list.begin() || it == list.end() ? nullptr : *(it - 1);
    default:
        return nullptr;
    }
}
} // namespace

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId)
{
    DWORD threadId = 0;
    if (Table().Read(hwnd, [&](const WindowRecord& r) { threadId = r.threadId; }) && processId != nullptr)
        *processId = static_cast<DWORD>(::getpid());
    return threadId;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    const std::wstring title = text != nullptr ? text : L"";
    if (!Table().Write(hwnd, [&](WindowRecord& r) { r.title = title; }))
        return FALSE;
    GetWindowBackend().SetTitle(hwnd, title);
    NotifyWindowChanged(WindowEvent::Retitled, hwnd, nullptr);
    return TRUE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (buffer == nullptr || maxCount <= 0)
        return 0;
    size_t copied = 0;
    Table().Read(hwnd, [&](const WindowRecord& r) {
        copied = std::min(r.title.size(), static_cast<size_t>(maxCount - 1));
        std::wmemcpy(buffer, r.title.data(), copied);
    });
    buffer[copied] = L'\0';
    return static_cast<int>(copied);
}

int GetWindowTextLengthW(HWND hwnd)
{
    size_t length = 0;
    Table().Read(hwnd, [&](const WindowRecord& r) { length = r.title.size(); });
    return static_cast<int>(length);
}

HWND GetParent(HWND hwnd)
{
    HWND result = nullptr;
    Table().Read(hwnd, [&](const WindowRecord& r) { result = ParentOrOwnerLocked(r); });
    return result;
}

HWND GetWindow(HWND hwnd, UINT command)
{
    HWND result = nullptr;
    Table().Read(hwnd, [&](const WindowRecord& r) {
        if (command == GW_OWNER)
            result = r.owner;
        else if (command == GW_CHILD)
            result = r.children.empty() ? nullptr : r.children.front();
        else
            result = SiblingLocked(r, command);
    });
    return result;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    HWND result = nullptr;
    Table().Read(hwnd, [&](const WindowRecord& r) {
        if (flags == GA_PARENT)
            result = IsChildRecord(r) ? r.parent : nullptr;
        else if (flags == GA_ROOT)
            result = RootLocked(hwnd);
        else if (flags == GA_ROOTOWNER)
            result = RootOwnerLocked(hwnd);
    });
    return result;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    std::shared_lock lock(Table().Lock());
    for (const WindowRecord* r = Table().FindLocked(hwnd); r != nullptr && IsChildRecord(*r);
         r = Table().FindLocked(r->parent))
    {
        if (r->parent == parent)
            return TRUE;
    }
    return FALSE;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index)
{
    LONG_PTR value = 0;
    bool known = true;
    Table().Read(hwnd, [&](const WindowRecord& r) { known = GetLong(r, index, &value); });
    if (!known)
        SetLastError(ERROR_INVALID_INDEX);
    return value;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    LONG_PTR previous = 0;
    bool known = true;
    Table().Write(hwnd,
                  [&](WindowRecord& r) { known = GetLong(r, index, &previous) && SetLong(r, index, value); });
    if (!known)
    {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    // What the window manager allows (resizing, maximising) follows the style bits.
    if ((index == GWL_STYLE || index == GWL_EXSTYLE) && previous != value)
        GetWindowBackend().StyleChanged(hwnd);
    return previous;
}

LONG GetWindowLongW(HWND hwnd, int index)
{
    return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value)
{
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}
