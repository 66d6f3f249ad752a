#include "platform/gtk/HeadlessDesktop.h"

#include "platform/gtk/MessageBoxButtons.h"

#include <mutex>
#include <vector>

namespace platform
{
namespace
{
std::mutex g_lock;
std::vector<headless::MessageBoxCall> g_calls;
int g_answer = 0;
} // namespace

int HeadlessDesktop::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                                    UINT type)
{
    std::lock_guard lock(g_lock);
    g_calls.push_back({owner, text, caption, type});
    return g_answer != 0 ? g_answer : DefaultAnswer(ButtonsOf(type), type);
}

namespace headless
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
} // namespace headless
} // namespace platform
