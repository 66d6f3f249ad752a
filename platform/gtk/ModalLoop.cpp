#include "platform/gtk/ModalLoop.h"

#include "platform/Input.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform
{
ModalLoop::ModalLoop(HWND owner) : m_owner(owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr)
{
    // EnableWindow answers the previous state: only a window we disabled is enabled again.
    m_disabled = m_owner != nullptr && EnableWindow(m_owner, FALSE) == FALSE;
}

ModalLoop::~ModalLoop()
{
    EnableOwner();
    if (m_quit)
        PostQuitMessage(m_quitCode);
    if (m_owner != nullptr)
        SetForegroundWindow(m_owner);
}

void ModalLoop::EnableOwner()
{
    if (m_disabled)
        EnableWindow(m_owner, TRUE);
    m_disabled = false;
}

bool ModalLoop::Run(GtkWidget* dialog, const std::function<bool()>& finished)
{
    // Escape and the window manager's close only hide the dialog: its response says how it
    // ended, and the caller destroys it once. Destroyed here as well, it was destroyed twice.
    g_signal_connect(dialog, "delete-event", G_CALLBACK(&gtk_widget_hide_on_delete), nullptr);
    gtk_widget_show_all(dialog);
    gtk_window_present(GTK_WINDOW(dialog));
    MSG msg{};
    while (!finished())
    {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0)
        {
            m_quit = got == 0;
            m_quitCode = static_cast<int>(msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableOwner();
    return !m_quit;
}

int ModalLoop::OnUiThread(GtkBackend& backend, std::function<int()> work)
{
    struct Reply
    {
        std::mutex lock;
        std::condition_variable done;
        bool answered = false;
        int answer = 0;
    };
    auto reply = std::make_shared<Reply>();
    backend.RunOnUi([reply, work = std::move(work)] {
        const int answer = work();
        std::lock_guard lock(reply->lock);
        reply->answer = answer;
        reply->answered = true;
        reply->done.notify_all();
    });
    std::unique_lock lock(reply->lock);
    reply->done.wait(lock, [&] { return reply->answered; });
    return reply->answer;
}
} // namespace platform
