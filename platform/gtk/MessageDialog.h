#pragma once
// MessageBoxW's box on the GTK display: a GtkMessageDialog, transient for the owner's window,
// run in a ModalLoop so that the UI thread's messages and timers go on. UI thread only.

#include "platform/Window.h"
#include "platform/gtk/MessageBoxButtons.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace platform
{
class GtkBackend;

class MessageDialog
{
public:
    MessageDialog(GtkBackend& display, HWND owner) : m_display(display), m_owner(owner) {}
    // The button chosen; closing the box gives its close answer.
    int Run(const std::wstring& text, const std::wstring& caption, UINT type);

private:
    GtkWidget* Make(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
    static void OnResponse(GtkDialog*, gint response, gpointer self) noexcept;

    GtkBackend& m_display;
    HWND m_owner;
    std::vector<MessageBoxButton> m_buttons;
    int m_answer = 0;
};
} // namespace platform
