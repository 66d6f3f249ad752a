#include "platform/gtk/MessageDialog.h"

#include "platform/Utf.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/MessageBoxButtons.h"
#include "platform/gtk/ModalLoop.h"
#include "platform/gtk/NativeWindow.h"

namespace platform
{
namespace
{
GtkMessageType MessageTypeOf(UINT type)
{
    switch (type & 0xF0)
    {
    case MB_ICONHAND:
        return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION:
        return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION:
        return GTK_MESSAGE_WARNING;
    case MB_ICONASTERISK:
        return GTK_MESSAGE_INFO;
    default:
        return GTK_MESSAGE_OTHER;
    }
}
} // namespace

void MessageDialog::OnResponse(GtkDialog*, gint response, gpointer self) noexcept
try
{
    auto* box = static_cast<MessageDialog*>(self);
    const int answer = response == GTK_RESPONSE_DELETE_EVENT ? CloseAnswer(box->m_buttons) : response;
    if (answer <= 0 || box->m_answer != 0)
        return;
    box->m_answer = answer;
    PostMessageW(nullptr, WM_NULL, 0, 0); // ends the wait of the box's loop
}
catch (...)
{
}

GtkWidget* MessageDialog::Make(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    NativeWindow* parent = owner != nullptr ? m_display.FindRoot(owner) : nullptr;
    GtkWidget* dialog =
        gtk_message_dialog_new(parent != nullptr ? parent->Window() : nullptr, GTK_DIALOG_MODAL,
                               MessageTypeOf(type), GTK_BUTTONS_NONE, "%s", ToDisplayUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), ToDisplayUtf8(caption).c_str());
    for (const MessageBoxButton& button : m_buttons)
        gtk_dialog_add_button(GTK_DIALOG(dialog), g_dgettext("gtk30", button.label), button.id);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), DefaultAnswer(m_buttons, type));
    gtk_window_set_deletable(GTK_WINDOW(dialog), CloseAnswer(m_buttons) != 0 ? TRUE : FALSE);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), (type & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0 ? TRUE : FALSE);
    g_signal_connect(dialog, "response", G_CALLBACK(&MessageDialog::OnResponse), this);
    return dialog;
}

int MessageDialog::Run(const std::wstring& text, const std::wstring& caption, UINT type)
{
    m_buttons = ButtonsOf(type);
    m_answer = 0;
    ModalLoop loop(m_owner);
    GtkWidget* dialog = Make(loop.Owner(), text, caption, type);
    loop.Run(dialog, [this] { return m_answer != 0; });
    if (m_answer == 0)
        m_answer = HasCancel(m_buttons) ? IDCANCEL : m_buttons.back().id;
    g_signal_handlers_disconnect_by_data(dialog, this);
    gtk_widget_destroy(dialog);
    return m_answer;
}
} // namespace platform
