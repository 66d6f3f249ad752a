#include "platform/messages/PaintHook.h"

#include "platform/messages/ThreadQueues.h"

#include <atomic>

namespace platform
{
namespace
{
// Set once before the first window paints; atomics keep a late registration safe to read.
std::atomic<decltype(PaintHooks::findPaint)> g_findPaint{nullptr};
std::atomic<decltype(PaintHooks::forgetWindow)> g_forgetWindow{nullptr};
std::atomic<decltype(PaintHooks::forgetThread)> g_forgetThread{nullptr};
std::atomic<decltype(PaintHooks::invalidateWindow)> g_invalidateWindow{nullptr};
std::atomic<decltype(PaintHooks::validateWindow)> g_validateWindow{nullptr};
} // namespace

void SetPaintHooks(const PaintHooks& hooks)
{
    g_findPaint = hooks.findPaint;
    g_forgetWindow = hooks.forgetWindow;
    g_forgetThread = hooks.forgetThread;
    g_invalidateWindow = hooks.invalidateWindow;
    g_validateWindow = hooks.validateWindow;
}

bool FindPaint(DWORD threadId, const MessageFilter& filter, MSG* msg)
{
    const auto find = g_findPaint.load();
    return find != nullptr && filter.MatchesNumber(WM_PAINT) && find(threadId, filter, msg);
}

void ForgetWindowPaint(HWND hwnd)
{
    if (const auto forget = g_forgetWindow.load())
        forget(hwnd);
}

void ForgetThreadPaint(DWORD threadId)
{
    if (const auto forget = g_forgetThread.load())
        forget(threadId);
}

void InvalidateWindowPaint(HWND hwnd)
{
    if (const auto invalidate = g_invalidateWindow.load())
        invalidate(hwnd);
}

void ValidateWindowPaint(HWND hwnd)
{
    if (const auto validate = g_validateWindow.load())
        validate(hwnd);
}

void WakeForPaint(DWORD threadId)
{
    if (auto queue = ThreadQueues::Instance().Find(threadId))
        queue->Nudge();
}
} // namespace platform
