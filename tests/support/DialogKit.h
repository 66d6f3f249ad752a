#pragma once
// Driving dialogs on the headless backend: pumping, injected clicks, and a scripted user who
// acts on a message box once it is open (the box runs its own modal loop).

#include "common/dialog/MsgBoxDlg.h"

#include "platform/DebugOutput.h"
#include "tests/support/Waiting.h"

#include <functional>
#include <mutex>
#include <pthread.h>
#include <string>

namespace dialogtest
{
// Dispatches what is queued; a quit message is dropped and remembered for TakeQuitMessage.
void Pump();
// Pumps with Pump() until done() holds; a failure after timeoutMs.
inline ::testing::AssertionResult PumpUntil(const std::function<bool()>& done,
                                            int timeoutMs = testsupport::kPumpTimeoutMs)
{
    return testsupport::PumpUntil(done, timeoutMs, Pump);
}
// True when a quit message was dropped since the last call (pumps what is queued first).
bool TakeQuitMessage();
// Mouse down and up at the centre of a visible control of the window; false when it cannot be clicked.
bool ClickControl(HWND hwnd, DuiLib::CControlUI* control);
// The same for the named control of a framework window.
bool ClickControl(DuiLib::WindowImplBase* window, LPCTSTR name);
// The framework object of a window made through CWindowWnd.
template <typename T> T* WindowObject(HWND hwnd)
{
    return static_cast<T*>(reinterpret_cast<DuiLib::CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
}

// Once a visible "MsgBoxDlg" window exists, calls act(box) on this thread from a timer
// (before the box closes, so from inside its modal loop). Stops with the object.
class BoxUser
{
public:
    explicit BoxUser(std::function<void(CMsgBoxDlg*)> act);
    ~BoxUser();
    BoxUser(const BoxUser&) = delete;
    BoxUser& operator=(const BoxUser&) = delete;
    bool acted() const { return m_acted; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    std::function<void(CMsgBoxDlg*)> m_act;
    UINT_PTR m_timer = 0;
    bool m_acted = false;
};

// A plain top-level window of the headless backend.
HWND MakePlainWindow(LPCWSTR title, int showCommand);

// While it lives, every thread this process starts asks for more memory than there is, so none
// can be created.
class NoNewThreads
{
public:
    NoNewThreads();
    ~NoNewThreads();
    NoNewThreads(const NoNewThreads&) = delete;
    NoNewThreads& operator=(const NoNewThreads&) = delete;

private:
    pthread_attr_t m_previous;
};

// The log lines of this process from now on: the log writer sends them to the debug channel.
class LogLines
{
public:
    LogLines();
    ~LogLines();
    LogLines(const LogLines&) = delete;
    LogLines& operator=(const LogLines&) = delete;
    // Pumps until a line holding part came (or timeoutMs passed).
    bool WaitFor(const std::wstring& part, DWORD timeoutMs = 5000);

private:
    std::mutex m_lock;
    std::wstring m_text;
    platform::DebugSink m_previous;
};
} // namespace dialogtest
