#pragma once
// A headless window of the test thread for the installers' workers (setup and uninstaller): it
// hands each heap record a worker posts with its progress message to a keeper, frees and counts
// the request manager's replies, and pumps the test thread's messages until a condition holds.

#include "platform/Win32.h"

#include <chrono>
#include <functional>

namespace setuptest
{
class WorkerWindow
{
public:
    // keep receives the WPARAM of every recordMessage: the record, which it then owns.
    WorkerWindow(UINT recordMessage, std::function<void(WPARAM)> keep);
    ~WorkerWindow();
    WorkerWindow(const WorkerWindow&) = delete;
    WorkerWindow& operator=(const WorkerWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // Pumps until running() turns false and the messages posted before that have come (or
    // 20 s passed): a worker posts its last record before it ends.
    void PumpUntilEnded(const std::function<bool()>& running);
    // Pumps until count replies of the request manager came (or 10 s passed); true when they did.
    bool WaitForReplies(int count);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Pumps the test thread's messages, a timer keeping them coming, until done() holds or the
    // time is up.
    void Pump(std::chrono::seconds limit, const std::function<bool(const MSG&)>& done);

    HWND m_hwnd = nullptr;
    UINT m_recordMessage;
    std::function<void(WPARAM)> m_keep;
    int m_replies = 0;
};
} // namespace setuptest
