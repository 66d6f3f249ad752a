#pragma once
// Where WM_PAINT comes from. The message core knows nothing of update regions: the gdi area
// registers these hooks, and a retrieval asks them, after posted messages and WM_QUIT and before
// WM_TIMER, whether a window of the thread needs painting.

#include "platform/messages/MessageFilter.h"

namespace platform
{
struct PaintHooks
{
    // Called with the queue's lock held: must not call back into the message core. Fills *msg
    // with a WM_PAINT for an invalid window of the thread that the filter accepts.
    bool (*findPaint)(DWORD threadId, const MessageFilter& filter, MSG* msg) = nullptr;
    // The window was destroyed, or every window of the thread ended with it.
    void (*forgetWindow)(HWND hwnd) = nullptr;
    void (*forgetThread)(DWORD threadId) = nullptr;
    // All of the window needs painting (it was shown or resized) / none of it does any more
    // (its WM_PAINT went to DefWindowProcW). Called with no lock held.
    void (*invalidateWindow)(HWND hwnd) = nullptr;
    void (*validateWindow)(HWND hwnd) = nullptr;
};

void SetPaintHooks(const PaintHooks& hooks);
bool FindPaint(DWORD threadId, const MessageFilter& filter, MSG* msg);
void ForgetWindowPaint(HWND hwnd);
void ForgetThreadPaint(DWORD threadId);
void InvalidateWindowPaint(HWND hwnd);
void ValidateWindowPaint(HWND hwnd);
// Makes a waiting retrieval on the thread look again: one of its windows became invalid.
void WakeForPaint(DWORD threadId);
} // namespace platform
