// Window class registration.
#include "platform/messages/ClassTable.h"
#include "platform/messages/WindowTable.h"

namespace
{
bool ClassHasWindows(ATOM atom)
{
    auto& table = platform::WindowTable::Instance();
    std::shared_lock lock(table.Lock());
    return !table.WindowsLocked([&](const platform::WindowRecord& r) { return r.wndClass->atom == atom; })
                .empty();
}
} // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* wc)
{
    if (wc == nullptr)
        return platform::ClassTable::Instance().Register(WNDCLASSEXW{});
    return platform::ClassTable::Instance().Register(*wc);
}

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    WNDCLASSEXW ex{};
    if (wc != nullptr)
        ex = WNDCLASSEXW{sizeof(WNDCLASSEXW), wc->style,        wc->lpfnWndProc,   wc->cbClsExtra,
                         wc->cbWndExtra,      wc->hInstance,    wc->hIcon,         wc->hCursor,
                         wc->hbrBackground,   wc->lpszMenuName, wc->lpszClassName, nullptr};
    return platform::ClassTable::Instance().Register(ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    return platform::ClassTable::Instance().Unregister(className, ClassHasWindows);
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, LPWNDCLASSEXW wc)
{
    const auto found = platform::ClassTable::Instance().Find(className);
    if (!found || wc == nullptr)
        return FALSE;
    const UINT size = wc->cbSize;
    *wc = found->info;
    wc->cbSize = size;
    return found->atom;
}
