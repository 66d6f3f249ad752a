// The system message box: a GTK message dialog run in a message loop of its own (so that the
// thread's timers and posted messages go on meanwhile), or a recorded answer when headless.
#include "GtkBackend.h"
#include "ModalLoop.h"
#include "NativeWindow.h"
#include "platform/Input.h"
#include "platform/MessageBox.h"
#include "platform/Utf.h"

#include <algorithm>
#include <mutex>
#include <vector>

using platform::GtkBackend;

namespace
{
struct Button
{
    int id;
    const char* label; // GTK's own translated label
};

constexpr Button kOk{IDOK, "_OK"};
constexpr Button kCancel{IDCANCEL, "_Cancel"};
constexpr Button kYes{IDYES, "_Yes"};
constexpr Button kNo{IDNO, "_No"};
constexpr Button kAbort{IDABORT, "_Abort"};
constexpr Button kRetry{IDRETRY, "_Retry"};
constexpr Button kIgnore{IDIGNORE, "_Ignore"};

std::vector<Button> ButtonsOf(UINT type)
{
    switch (type & 0xF)
    {
    case MB_OK:
        return {kOk};
    case MB_OKCANCEL:
        return {kOk, kCancel};
    case MB_ABORTRETRYIGNORE:
        return {kAbort, kRetry, kIgnore};
    case MB_YESNOCANCEL:
        return {kYes, kNo, kCancel};
    case MB_YESNO:
        return {kYes, kNo};
    case MB_RETRYCANCEL:
        return {kRetry, kCancel};
    default:
        return {};
    }
}

int DefaultAnswer(const std::vector<Button>& buttons, UINT type)
{
    const size_t index = std::min<size_t>((type >> 8) & 0xF, buttons.size() - 1);
    return buttons[index].id;
}

bool HasCancel(const std::vector<Button>& buttons)
{
    return std::any_of(buttons.begin(), buttons.end(), [](const Button& b) { return b.id == IDCANCEL; });
}

// Closing the box counts as Cancel; a box without one cannot be closed, except MB_OK.
int CloseAnswer(const std::vector<Button>& buttons)
{
    if (HasCancel(buttons))
        return IDCANCEL;
    return buttons.size() == 1 ? buttons.front().id : 0;
}

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

std::mutex g_lock;
std::vector<platform::headless::MessageBoxCall> g_calls;
int g_answer = 0;

int RecordHeadless(HWND hwnd, const std::wstring& text, const std::wstring& caption, UINT type,
                   const std::vector<Button>& buttons)
{
    std::lock_guard lock(g_lock);
    g_calls.push_back({hwnd, text, caption, type});
    return g_answer != 0 ? g_answer : DefaultAnswer(buttons, type);
}

struct Box
{
    std::vector<Button> buttons;
    int answer = 0;
};

void OnResponse(GtkDialog*, gint response, gpointer data)
{
    auto* box = static_cast<Box*>(data);
    const int answer = response == GTK_RESPONSE_DELETE_EVENT ? CloseAnswer(box->buttons) : response;
    if (answer <= 0 || box->answer != 0)
        return;
    box->answer = answer;
    PostMessageW(nullptr, WM_NULL, 0, 0); // ends the wait of the box's loop
}

GtkWidget* MakeDialog(GtkBackend& backend, HWND owner, const std::wstring& text, const std::wstring& caption,
                      UINT type, Box& box)
{
    platform::NativeWindow* parent = owner != nullptr ? backend.FindRoot(owner) : nullptr;
    GtkWidget* dialog =
        gtk_message_dialog_new(parent != nullptr ? parent->Window() : nullptr, GTK_DIALOG_MODAL,
                               MessageTypeOf(type), GTK_BUTTONS_NONE, "%s", platform::ToUtf8(text).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), platform::ToUtf8(caption).c_str());
    for (const Button& button : box.buttons)
        gtk_dialog_add_button(GTK_DIALOG(dialog), g_dgettext("gtk30", button.label), button.id);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), DefaultAnswer(box.buttons, type));
    gtk_window_set_deletable(GTK_WINDOW(dialog), CloseAnswer(box.buttons) != 0 ? TRUE : FALSE);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), (type & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0 ? TRUE : FALSE);
    g_signal_connect(dialog, "response", G_CALLBACK(&OnResponse), &box);
    return dialog;
}

// The box's own loop: whatever else the thread has to do goes on while it is up.
int RunModal(GtkBackend& backend, HWND hwnd, const std::wstring& text, const std::wstring& caption, UINT type,
             const std::vector<Button>& buttons)
{
    platform::ModalLoop loop(hwnd);
    Box box{buttons};
    GtkWidget* dialog = MakeDialog(backend, loop.Owner(), text, caption, type, box);
    loop.Run(dialog, [&box] { return box.answer != 0; });
    if (box.answer == 0)
        box.answer = HasCancel(buttons) ? IDCANCEL : buttons.back().id;
    g_signal_handlers_disconnect_by_data(dialog, &box);
    gtk_widget_destroy(dialog);
    return box.answer;
}
} // namespace

int MessageBoxW(HWND hwnd, LPCWSTR text, LPCWSTR caption, UINT type)
{
    const std::vector<Button> buttons = ButtonsOf(type);
    if (buttons.empty())
        return 0;
    const std::wstring body = text != nullptr ? text : L"";
    const std::wstring title = caption != nullptr ? caption : L"Error";
    GtkBackend* backend = GtkBackend::Active();
    if (backend == nullptr)
        return RecordHeadless(hwnd, body, title, type, buttons);
    if (!backend->OnUiThread())
        return platform::ModalLoop::OnUiThread(*backend, [backend, hwnd, body, title, type, buttons] {
            return RunModal(*backend, hwnd, body, title, type, buttons);
        });
    return RunModal(*backend, hwnd, body, title, type, buttons);
}

namespace platform::headless
{
std::vector<MessageBoxCall> MessageBoxCalls()
{
    std::lock_guard lock(g_lock);
    return g_calls;
}

void ClearMessageBoxCalls()
{
    std::lock_guard lock(g_lock);
    g_calls.clear();
}

void SetMessageBoxAnswer(int answer)
{
    std::lock_guard lock(g_lock);
    g_answer = answer;
}
} // namespace platform::headless
