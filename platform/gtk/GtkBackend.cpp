#include "platform/gtk/GtkBackend.h"

#include "platform/gtk/CorePump.h"
#include "platform/gtk/GtkPaintTarget.h"
#include "platform/gtk/MouseTracking.h"
#include "platform/gtk/NativeWindow.h"

#include <unistd.h>

namespace platform
{
namespace
{
std::atomic<GtkBackend*> g_active{nullptr};
constexpr int kPendingRounds = 32;

struct TimeoutFlag
{
    bool elapsed = false;
};

gboolean MarkElapsed(gpointer data) noexcept
{
    static_cast<TimeoutFlag*>(data)->elapsed = true;
    return G_SOURCE_REMOVE;
}

gboolean RunWork(gpointer data) noexcept
try
{
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}
catch (...)
{
    return G_SOURCE_REMOVE;
}

gboolean FreeWindow(gpointer data) noexcept
{
    delete static_cast<NativeWindow*>(data);
    return G_SOURCE_REMOVE;
}

void DeleteWork(gpointer data) noexcept
{
    delete static_cast<std::function<void()>*>(data);
}
} // namespace

GtkBackend::GtkBackend() : m_uiThread(static_cast<DWORD>(::gettid()))
{
    m_composited = gdk_screen_is_composited(gdk_screen_get_default()) != FALSE;
}

GtkBackend* GtkBackend::Install()
{
    if (GtkBackend* installed = g_active.load(std::memory_order_acquire))
        return installed;
    // Window placement is a program's own business only under X11 (XWayland on Wayland desktops).
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr))
        return nullptr;
    // Lives as long as the process: windows of any thread may reach it until the very end.
    auto* backend = new GtkBackend;
    SetPaintTargetFactory([backend](HWND hwnd) { return std::make_unique<GtkPaintTarget>(*backend, hwnd); });
    SetWindowBackend(backend);
    g_active.store(backend, std::memory_order_release);
    CorePump::Attach(*backend);
    return backend;
}

bool GtkBackend::OnUiThread() const
{
    return static_cast<DWORD>(::gettid()) == m_uiThread;
}

void GtkBackend::RunOnUi(std::function<void()> work)
{
    if (OnUiThread())
    {
        work();
        return;
    }
    g_main_context_invoke_full(nullptr, G_PRIORITY_DEFAULT, &RunWork,
                               new std::function<void()>(std::move(work)), &DeleteWork);
}

NativeWindow* GtkBackend::Find(HWND hwnd) const
{
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

NativeWindow* GtkBackend::FindRoot(HWND hwnd) const
{
    return Find(GetAncestor(hwnd, GA_ROOT));
}

bool GtkBackend::InForeignLoop() const
{
    // Our own wait iterates at the depth it recorded; a loop started from inside one of its
    // dispatches (a GTK modal dialog) runs deeper. Outside every wait, any loop is foreign.
    return m_waitDepths.empty() || g_main_depth() > m_waitDepths.back();
}

void GtkBackend::CreateNative(HWND hwnd)
{
    if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0)
        return; // child windows are drawn by their top-level window
    RunOnUi([this, hwnd] {
        if (!IsWindow(hwnd) || Find(hwnd) != nullptr)
            return;
        GdkVisual* visual = m_composited ? gdk_screen_get_rgba_visual(gdk_screen_get_default()) : nullptr;
        m_windows.emplace(hwnd, std::make_unique<NativeWindow>(*this, hwnd, visual));
    });
}

void GtkBackend::DestroyNative(HWND hwnd)
{
    MouseTracking::Instance().Forget(hwnd);
    RunOnUi([this, hwnd] {
        auto it = m_windows.find(hwnd);
        if (it == m_windows.end())
            return;
        if (m_pointerWindow == it->second.get())
            m_pointerWindow = nullptr;
        // The procedure may be destroying its window from inside one of the widget's own
        // handlers (a paint, a key): the widget goes silent now and is freed once idle.
        NativeWindow* window = it->second.release();
        m_windows.erase(it);
        window->Detach();
        g_idle_add_full(G_PRIORITY_HIGH_IDLE, &FreeWindow, window, nullptr);
    });
}

void GtkBackend::Show(HWND hwnd, int command)
{
    RunOnUi([this, hwnd, command] {
        if (NativeWindow* window = Find(hwnd))
            window->Show(command);
    });
}

void GtkBackend::Move(HWND hwnd, const RECT& windowRect)
{
    RunOnUi([this, hwnd, windowRect] {
        if (NativeWindow* window = Find(hwnd))
            window->Move(windowRect);
    });
}

void GtkBackend::Restack(HWND hwnd, HWND insertAfter)
{
    RunOnUi([this, hwnd, insertAfter] {
        if (NativeWindow* window = Find(hwnd))
            window->Restack(insertAfter);
    });
}

void GtkBackend::SetTitle(HWND hwnd, const std::wstring& title)
{
    RunOnUi([this, hwnd, title] {
        if (NativeWindow* window = Find(hwnd))
            window->SetTitle(title);
    });
}

void GtkBackend::Invalidate(HWND hwnd, const RECT* rect)
{
    const bool whole = rect == nullptr;
    const RECT area = whole ? RECT{} : *rect;
    RunOnUi([this, hwnd, whole, area] {
        if (NativeWindow* window = Find(hwnd))
            window->Invalidate(whole ? nullptr : &area);
    });
}

void GtkBackend::IterateAsWait(const std::function<bool()>& more, gboolean mayBlock)
{
    m_waitDepths.push_back(g_main_depth());
    while (more())
        g_main_context_iteration(nullptr, mayBlock);
    m_waitDepths.pop_back();
}

void GtkBackend::StyleChanged(HWND hwnd)
{
    RunOnUi([this, hwnd] {
        if (NativeWindow* window = Find(hwnd))
            window->Restyle();
    });
}

bool GtkBackend::Wait(DWORD timeoutMs)
{
    if (!OnUiThread())
        return false;
    if (timeoutMs == 0)
    {
        DispatchPending();
        return true;
    }
    TimeoutFlag timeout;
    const guint source = timeoutMs == INFINITE ? 0 : g_timeout_add(timeoutMs, &MarkElapsed, &timeout);
    IterateAsWait([&] { return !m_wakePending.exchange(false) && !timeout.elapsed; }, TRUE);
    if (source != 0 && !timeout.elapsed)
        g_source_remove(source);
    return true;
}

void GtkBackend::DispatchPending()
{
    if (!OnUiThread())
        return;
    // Bounded: a source that is always ready must not keep the thread's messages waiting.
    int rounds = 0;
    IterateAsWait([&] { return rounds++ < kPendingRounds && g_main_context_pending(nullptr); }, FALSE);
}

void GtkBackend::Wake(DWORD threadId)
{
    if (threadId != m_uiThread)
        return;
    m_wakePending.store(true);
    g_main_context_wakeup(nullptr);
}
} // namespace platform
