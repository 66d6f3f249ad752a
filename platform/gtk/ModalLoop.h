#pragma once
// A modal GTK dialog run as Windows runs one: the owner is disabled, and the UI thread's posted
// messages and timers keep flowing in a message loop of the dialog's own until it is answered.
// A WM_QUIT that ends the loop early is posted again for the loop that owns it.

#include "platform/gtk/GtkBackend.h"

#include <gtk/gtk.h>

#include <functional>

namespace platform
{
class ModalLoop
{
public:
    // owner: a window or nullptr; its top-level window is disabled while the loop lives.
    explicit ModalLoop(HWND owner);
    // Re-posts a WM_QUIT that ended the loop and brings the owner back to the front.
    ~ModalLoop();
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;

    HWND Owner() const { return m_owner; }
    // Shows the dialog and runs the thread's messages until finished(); false when WM_QUIT came
    // first. The owner is enabled again before it returns, so the caller may then destroy the
    // dialog without the focus going elsewhere.
    bool Run(GtkWidget* dialog, const std::function<bool()>& finished);

    // Runs work (which shows a modal dialog) on the UI thread while the calling worker waits.
    static int OnUiThread(GtkBackend& backend, std::function<int()> work);

private:
    void EnableOwner();

    HWND m_owner;
    bool m_disabled = false;
    bool m_quit = false;
    int m_quitCode = 0;
};
} // namespace platform
