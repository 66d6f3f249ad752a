#pragma once
// The shell on the GTK display: the desktop's file chooser and XDND drop destinations, both
// run on the UI thread.

#include "platform/shell/ShellBackend.h"

namespace platform
{
class GtkBackend;

class GtkShell final : public ShellBackend
{
public:
    explicit GtkShell(GtkBackend& display) : m_display(display) {}

    FileDialogAnswer AskFiles(const headless::FileDialogCall& call) override;
    void SetDropTarget(HWND hwnd, bool accept) override;

private:
    GtkBackend& m_display;
};
} // namespace platform
