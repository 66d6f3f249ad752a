#pragma once
// What another area may learn of the top-level windows, and how it may answer for handles that
// are not in this process's window table. The message core knows nothing of other processes:
// the ipc area registers these hooks to publish the windows and to carry messages across.

#include "platform/messages/MessageQueue.h"

namespace platform
{
enum class WindowEvent
{
    Created,  // after the backend's CreateNative, before WM_NCCREATE
    Retitled, // SetWindowTextW changed the title
    Destroyed // the window leaves the table (also when its thread ended)
};

struct WindowHooks
{
    // Called on the window's thread with no lock held, for every window (top-level or child).
    // className is the registered class name for Created, nullptr otherwise.
    void (*changed)(WindowEvent event, HWND hwnd, LPCWSTR className) = nullptr;
    // Called by SendMessageW and SendMessageTimeoutW for a handle that is not a window of this
    // process. True with *result when the message was answered; false with the last error set
    // otherwise (ERROR_INVALID_WINDOW_HANDLE when the handle is not one the hook knows).
    bool (*sendForeign)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                        LRESULT* result) = nullptr;
};

void SetWindowHooks(const WindowHooks& hooks);
void NotifyWindowChanged(WindowEvent event, HWND hwnd, LPCWSTR className);
// False (last error untouched) when no hook is set.
bool SendForeign(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, Clock::time_point deadline,
                 LRESULT* result);
} // namespace platform
