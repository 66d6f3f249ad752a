#pragma once
// What the shell does differently with a display and without one: the file dialogs and the
// drop destinations. One implementation per display backend (GtkShell, HeadlessShell), chosen
// once: the GTK one is installed with the display backend (through AddDisplayService), and
// until then, or without a display, the headless one answers. The calls above never ask which
// backend runs.

#include "platform/Dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace platform
{
using FileDialogAnswer = std::optional<std::vector<std::wstring>>;

class ShellBackend
{
public:
    virtual ~ShellBackend() = default;
    // Asks for files or a folder and returns the chosen paths, std::nullopt when cancelled.
    // Any thread; the caller waits (its messages and timers go on) until the answer comes.
    virtual FileDialogAnswer AskFiles(const headless::FileDialogCall& call) = 0;
    // Makes hwnd's top-level window a drop destination posting to hwnd, or no longer one. The
    // WS_EX_ACCEPTFILES style is already set or cleared.
    virtual void SetDropTarget(HWND hwnd, bool accept) = 0;
};

// The installed shell. Any thread.
ShellBackend& Shell();
} // namespace platform
