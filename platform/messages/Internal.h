#pragma once
// Functions that the parts of the message core call across files.

#include "platform/Messages.h"

#include <vector>

namespace platform
{
// The kernel's thread id (gettid) of the calling thread.
DWORD CurrentThreadId();
// Calls the procedure of a window of the calling thread; 0 when the window is gone.
LRESULT CallOwnWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Hands posted messages that were thrown away unread to the dropped-message handler.
void ReportDropped(const std::vector<MSG>& dropped);
// An ending thread's windows vanish with it, without messages (no procedure may run then).
void ForgetThreadWindows(DWORD threadId);
// Queues a prepared message: hwnd NULL for the calling thread, else for the window's thread.
BOOL PostPrepared(const MSG& msg);
// Where the pointer was last seen (screen coordinates), for MSG::pt.
POINT LastCursorPos();
} // namespace platform
