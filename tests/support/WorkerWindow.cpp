#include "tests/support/WorkerWindow.h"

#include "common/http/HttpMgr.h"

namespace setuptest
{
WorkerWindow::WorkerWindow(UINT recordMessage, std::function<void(WPARAM)> keep)
    : m_recordMessage(recordMessage), m_keep(std::move(keep))
{
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &WorkerWindow::Proc;
        wc.lpszClassName = L"InstallerWorkerTestWindow";
        return RegisterClassExW(&wc);
    }();
    static_cast<void>(registered);
    m_hwnd = CreateWindowExW(0, L"InstallerWorkerTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WorkerWindow::~WorkerWindow()
{
    DestroyWindow(m_hwnd);
}

LRESULT CALLBACK WorkerWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<WorkerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == WM_HTTP_REPLY)
    {
        delete reinterpret_cast<HttpReply*>(wParam);
        ++self->m_replies;
        return 1;
    }
    if (self != nullptr && msg == self->m_recordMessage)
    {
        self->m_keep(wParam);
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void WorkerWindow::Pump(std::chrono::seconds limit, const std::function<bool(const MSG&)>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    SetTimer(m_hwnd, 1, 20, nullptr);
    MSG msg{};
    while (std::chrono::steady_clock::now() < deadline && GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        DispatchMessageW(&msg);
        if (done(msg))
            break;
    }
    KillTimer(m_hwnd, 1);
}

void WorkerWindow::PumpUntilEnded(const std::function<bool()>& running)
{
    // A timer message comes once the queue holds nothing else: the first one after the end
    // follows everything the worker posted.
    bool ended = false;
    Pump(std::chrono::seconds(20), [&](const MSG& msg) {
        const bool drained = ended && msg.message == WM_TIMER;
        ended = ended || !running();
        return drained;
    });
}

bool WorkerWindow::WaitForReplies(int count)
{
    if (m_replies < count)
        Pump(std::chrono::seconds(10), [&](const MSG&) { return m_replies >= count; });
    return m_replies >= count;
}
} // namespace setuptest
