#include "platform/gtk/CorePump.h"

#include "platform/gtk/GtkBackend.h"

namespace platform
{
namespace
{
// Timers have a 10 ms resolution, so looking that often is enough to keep them on time.
constexpr gint kPollMs = 10;
constexpr int kBatch = 64;

GSourceFuncs g_funcs{};
GtkBackend* g_display = nullptr; // set before the source is attached
} // namespace

void CorePump::Attach(GtkBackend& display)
{
    static bool attached = false;
    if (attached)
        return;
    attached = true;
    g_display = &display;
    g_funcs.prepare = &CorePump::Prepare;
    g_funcs.check = &CorePump::Check;
    g_funcs.dispatch = &CorePump::Dispatch;
    GSource* source = g_source_new(&g_funcs, sizeof(GSource));
    g_source_set_name(source, "platform-message-pump");
    g_source_attach(source, nullptr);
    g_source_unref(source);
}

bool CorePump::InForeignLoop()
{
    return g_display->OnUiThread() && g_display->InForeignLoop();
}

bool CorePump::HasWork()
{
    if (!InForeignLoop())
        return false;
    MSG msg;
    // A pending WM_QUIT is left for the loop that owns it, once the foreign loop has ended.
    return PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT;
}

gboolean CorePump::Prepare(GSource*, gint* timeout) noexcept
try
{
    // Inside the core's own wait the source sleeps: the queue wakes that wait itself.
    *timeout = InForeignLoop() ? kPollMs : -1;
    return HasWork() ? TRUE : FALSE;
}
catch (...)
{
    return FALSE;
}

gboolean CorePump::Check(GSource*) noexcept
try
{
    return HasWork() ? TRUE : FALSE;
}
catch (...)
{
    return FALSE;
}

gboolean CorePump::Dispatch(GSource*, GSourceFunc, gpointer) noexcept
try
{
    MSG msg;
    for (int i = 0; i < kBatch && HasWork() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        // The dialog's own events go before the next timer: a slow one is due again at once.
        if (msg.message == WM_TIMER)
            break;
    }
    return G_SOURCE_CONTINUE;
}
catch (...)
{
    return G_SOURCE_CONTINUE;
}
} // namespace platform
