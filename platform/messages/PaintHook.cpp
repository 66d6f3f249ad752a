#include "PaintHook.h"

#include "ThreadQueues.h"

#include <atomic>

namespace platform
{
namespace
{
// Set once before the first window paints; atomics keep a late registration safe to read.
std::atomic<decltype(PaintHooks::findPaint)> g_findPaint{nullptr};
std::atomic<decltype(PaintHooks::forgetWindow)> g_forgetWindow{nullptr};
std::atomic<decltype(PaintHooks::forgetThread)> g_forgetThread{nullptr};
} // namespace

void SetPaintHooks(const PaintHooks& hooks)
{
    g_findPaint = hooks.findPaint;
    g_forgetWindow = hooks.forgetWindow;
    g_forgetThread = hooks.forgetThread;
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

void WakeForPaint(DWORD threadId)
{
    if (auto queue = ThreadQueues::Instance().Find(threadId))
        queue->Nudge();
}
} // namespace platform
