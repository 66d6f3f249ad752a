#include "platform/shell/HeadlessShell.h"

#include <mutex>

namespace platform
{
namespace
{
std::mutex g_lock;
FileDialogAnswer g_answer;
} // namespace

FileDialogAnswer HeadlessShell::AskFiles(const headless::FileDialogCall&)
{
    std::lock_guard lock(g_lock);
    return g_answer && !g_answer->empty() ? g_answer : std::nullopt;
}

namespace headless
{
void SetFileDialogAnswer(std::optional<std::vector<std::wstring>> paths)
{
    std::lock_guard lock(g_lock);
    g_answer = std::move(paths);
}
} // namespace headless
} // namespace platform
