// Creating and destroying windows.
#include "platform/WinError.h"
#include "platform/Window.h"
#include "platform/messages/Internal.h"
#include "platform/messages/ThreadQueues.h"
#include "platform/messages/WindowHooks.h"
#include "platform/messages/WindowTable.h"

using namespace platform;

namespace
{
constexpr RECT kDefaultRect{100, 100, 100 + 640, 100 + 480};

RECT InitialRect(int x, int y, int width, int height, bool child)
{
    RECT rect{};
    const bool defaultPos = x == CW_USEDEFAULT;
    rect.left = defaultPos ? (child ? 0 : kDefaultRect.left) : x;
    rect.top = defaultPos ? (child ? 0 : kDefaultRect.top) : y;
    const bool defaultSize = width == CW_USEDEFAULT;
    rect.right =
        rect.left + (defaultSize ? (child ? 0 : kDefaultRect.right - kDefaultRect.left) : std::max(width, 0));
    rect.bottom =
        rect.top + (defaultSize ? (child ? 0 : kDefaultRect.bottom - kDefaultRect.top) : std::max(height, 0));
    return rect;
}

std::shared_ptr<WindowRecord> NewRecord(const std::shared_ptr<const WindowClass>& wndClass,
                                        const CREATESTRUCTW& cs)
{
    auto record = std::make_shared<WindowRecord>();
    record->threadId = CurrentThreadId();
    record->queue = ThreadQueues::Instance().Current();
    record->wndClass = wndClass;
    record->proc = wndClass->info.lpfnWndProc;
    // WS_VISIBLE is set by the ShowWindow that follows WM_CREATE.
    record->style = static_cast<DWORD>(cs.style) & ~WS_VISIBLE;
    record->exStyle = cs.dwExStyle;
    const bool child = (record->style & WS_CHILD) != 0;
    record->rect = InitialRect(cs.x, cs.y, cs.cx, cs.cy, child);
    record->title = cs.lpszName != nullptr ? cs.lpszName : L"";
    record->instance = cs.hInstance;
    record->extra.resize(static_cast<size_t>(wndClass->info.cbWndExtra));
    if (child)
    {
        record->parent = cs.hwndParent;
        record->id = reinterpret_cast<LONG_PTR>(cs.hMenu);
    }
    else if (cs.hwndParent != nullptr)
        record->owner = GetAncestor(cs.hwndParent, GA_ROOT);
    return record;
}

// Makes the record findable and links it to its parent, which may be of another thread and so
// may vanish meanwhile.
HWND Insert(const std::shared_ptr<WindowRecord>& record)
{
    auto& table = WindowTable::Instance();
    const HWND hwnd = table.Add(record);
    if (record->parent == nullptr ||
        table.Write(record->parent, [&](WindowRecord& p) { p.children.push_back(hwnd); }))
        return hwnd;
    std::unique_lock lock(table.Lock());
    table.RemoveLocked(hwnd);
    return nullptr;
}

// Removes the window from the table and from its relatives; throws away what was queued for it.
void Finalize(HWND hwnd)
{
    GetWindowBackend().DestroyNative(hwnd);
    NotifyWindowChanged(WindowEvent::Destroyed, hwnd, nullptr);
    auto& table = WindowTable::Instance();
    std::shared_ptr<MessageQueue> queue;
    {
        std::unique_lock lock(table.Lock());
        WindowRecord* record = table.FindLocked(hwnd);
        if (record == nullptr)
            return;
        queue = record->queue;
        if (WindowRecord* parent = table.FindLocked(record->parent))
            std::erase(parent->children, hwnd);
        // Relatives on other threads are not destroyed with it; they lose the link instead.
        for (HWND other :
             table.WindowsLocked([&](const WindowRecord& r) { return r.owner == hwnd || r.parent == hwnd; }))
        {
            WindowRecord* relative = table.FindLocked(other);
            relative->owner = relative->owner == hwnd ? nullptr : relative->owner;
            relative->parent = relative->parent == hwnd ? nullptr : relative->parent;
        }
        table.RemoveLocked(hwnd);
    }
    ReportDropped(queue->Purge(hwnd));
}

// Marks the window as being destroyed; false when it already is (or is gone).
bool BeginDestroy(HWND hwnd)
{
    bool begun = false;
    WindowTable::Instance().Write(hwnd, [&](WindowRecord& r) {
        begun = !r.destroying;
        r.destroying = true;
    });
    return begun;
}

std::vector<HWND> RelativesOnThisThread(HWND hwnd, bool owned)
{
    auto& table = WindowTable::Instance();
    std::shared_lock lock(table.Lock());
    const DWORD self = CurrentThreadId();
    if (owned)
        return table.WindowsLocked(
            [&](const WindowRecord& r) { return r.owner == hwnd && r.threadId == self; });
    const WindowRecord* record = table.FindLocked(hwnd);
    std::vector<HWND> children;
    for (HWND child : record != nullptr ? record->children : std::vector<HWND>{})
    {
        const WindowRecord* c = table.FindLocked(child);
        if (c != nullptr && c->threadId == self)
            children.push_back(child);
    }
    return children;
}

void DestroyTree(HWND hwnd);

void DestroyAll(const std::vector<HWND>& windows)
{
    for (HWND hwnd : windows)
    {
        if (BeginDestroy(hwnd))
            DestroyTree(hwnd);
    }
}

// Owned windows go first; the window hears WM_DESTROY before its children are destroyed and
// WM_NCDESTROY after, so that WM_NCDESTROY is the last message it ever gets.
void DestroyTree(HWND hwnd)
{
    DestroyAll(RelativesOnThisThread(hwnd, true));
    CallOwnWindow(hwnd, WM_DESTROY, 0, 0);
    DestroyAll(RelativesOnThisThread(hwnd, false));
    CallOwnWindow(hwnd, WM_NCDESTROY, 0, 0);
    Finalize(hwnd);
}

// WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE; false when the window did not survive them.
bool RunCreation(HWND hwnd, CREATESTRUCTW& cs)
{
    const LPARAM lParam = reinterpret_cast<LPARAM>(&cs);
    if (!CallOwnWindow(hwnd, WM_NCCREATE, 0, lParam))
    {
        if (BeginDestroy(hwnd))
        {
            CallOwnWindow(hwnd, WM_NCDESTROY, 0, 0);
            Finalize(hwnd);
        }
        return false;
    }
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    CallOwnWindow(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
    if (CallOwnWindow(hwnd, WM_CREATE, 0, lParam) == -1)
    {
        DestroyWindow(hwnd);
        return false;
    }
    return IsWindow(hwnd) != FALSE;
}
} // namespace

namespace platform
{
void ForgetThreadWindows(DWORD threadId)
{
    auto& table = WindowTable::Instance();
    std::vector<HWND> gone;
    {
        std::unique_lock lock(table.Lock());
        gone = table.WindowsLocked([&](const WindowRecord& r) { return r.threadId == threadId; });
        for (HWND hwnd : gone)
            table.FindLocked(hwnd)->destroying = true;
    }
    // Their queue is already closed and empty, so Finalize only unlinks them.
    for (HWND hwnd : gone)
        Finalize(hwnd);
}
} // namespace platform

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    const auto wndClass = ClassTable::Instance().Find(className);
    if (!wndClass)
    {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if ((style & WS_CHILD) != 0 && parent == nullptr)
    {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (parent != nullptr && !IsWindow(parent))
        return nullptr;
    CREATESTRUCTW cs{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    const HWND hwnd = Insert(NewRecord(wndClass, cs));
    if (hwnd == nullptr)
        return nullptr;
    GetWindowBackend().CreateNative(hwnd);
    NotifyWindowChanged(WindowEvent::Created, hwnd, wndClass->name.c_str());
    if (!RunCreation(hwnd, cs))
        return nullptr;
    if ((style & WS_VISIBLE) != 0)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    const auto record = WindowTable::Instance().Find(hwnd);
    if (!record)
        return FALSE;
    if (record->threadId != CurrentThreadId())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A second call from inside WM_DESTROY finds the destruction already under way.
    if (BeginDestroy(hwnd))
        DestroyTree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return WindowTable::Instance().Read(hwnd, [](const WindowRecord&) {}) ? TRUE : FALSE;
}
