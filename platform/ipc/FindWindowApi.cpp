// FindWindowW. Its file also installs the window hooks at start-up: every program that looks
// for another copy's window links this file, and so publishes its own windows too.
#include "platform/WindowFinder.h"

#include "platform/ipc/WindowSharing.h"

namespace
{
const bool g_installed = [] {
    platform::ipc::WindowSharing::Install();
    return true;
}();
} // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    return platform::ipc::WindowSharing::Instance().Find(className, windowName);
}

namespace platform
{
void ShareWindows()
{
    ipc::WindowSharing::Install();
}
} // namespace platform
