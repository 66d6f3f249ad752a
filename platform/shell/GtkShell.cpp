#include "platform/shell/GtkShell.h"

#include "platform/shell/DropTarget.h"
#include "platform/shell/FileChooserDialog.h"

#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/ModalLoop.h"
#include "platform/gtk/NativeWindow.h"

namespace platform
{
FileDialogAnswer GtkShell::AskFiles(const headless::FileDialogCall& call)
{
    FileDialogAnswer answer;
    auto ask = [this, &call, &answer] {
        answer = FileChooserDialog(m_display, call).Run();
        return 0;
    };
    if (m_display.OnUiThread())
        ask();
    else
        ModalLoop::OnUiThread(m_display, ask);
    return answer;
}

void GtkShell::SetDropTarget(HWND hwnd, bool accept)
{
    m_display.RunOnUi([this, hwnd, accept] {
        if (NativeWindow* native = m_display.FindRoot(hwnd))
            DropTarget::Set(*native, hwnd, accept);
    });
}
} // namespace platform
