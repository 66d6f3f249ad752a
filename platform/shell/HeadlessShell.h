#pragma once
// The shell without a display: nothing can show, so a file dialog is answered with what a test
// set (platform::headless::SetFileDialogAnswer), and drops come only from
// platform::headless::InjectDrop, which checks WS_EX_ACCEPTFILES itself.

#include "platform/shell/ShellBackend.h"

namespace platform
{
class HeadlessShell final : public ShellBackend
{
public:
    FileDialogAnswer AskFiles(const headless::FileDialogCall& call) override;
    void SetDropTarget(HWND, bool) override {}
};
} // namespace platform
