#include "tests/support/DialogKit.h"

#include "common/base/Log.h"

#include "platform/Kernel.h"
#include "platform/WindowFinder.h"

namespace dialogtest
{
namespace
{
BoxUser* g_user = nullptr;
bool g_sawQuit = false;
} // namespace

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            g_sawQuit = true;
            continue;
        }
        if (!DuiLib::CPaintManagerUI::TranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool TakeQuitMessage()
{
    Pump();
    const bool saw = g_sawQuit;
    g_sawQuit = false;
    return saw;
}

bool ClickControl(DuiLib::WindowImplBase* window, LPCTSTR name)
{
    return ClickControl(window->GetHWND(), window->GetPaintManager().FindControl(name));
}

bool ClickControl(HWND hwnd, DuiLib::CControlUI* control)
{
    if (control == nullptr || !control->IsVisible())
        return false;
    const RECT rc = control->GetPos();
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    platform::headless::InjectMessage(hwnd, WM_MOUSEMOVE, 0, at);
    platform::headless::InjectMessage(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    platform::headless::InjectMessage(hwnd, WM_LBUTTONUP, 0, at);
    return true;
}

BoxUser::BoxUser(std::function<void(CMsgBoxDlg*)> act) : m_act(std::move(act))
{
    g_user = this;
    m_timer = ::SetTimer(nullptr, 0, 10, &BoxUser::OnTimer);
}

BoxUser::~BoxUser()
{
    ::KillTimer(nullptr, m_timer);
    g_user = nullptr;
}

void CALLBACK BoxUser::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_user == nullptr || g_user->m_acted)
        return;
    const HWND box = ::FindWindowW(L"MsgBoxDlg", nullptr);
    if (box == nullptr || !::IsWindowVisible(box))
        return;
    g_user->m_acted = true;
    g_user->m_act(WindowObject<CMsgBoxDlg>(box));
}

HWND MakePlainWindow(LPCWSTR title, int showCommand)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.lpszClassName = L"DialogTestPlain";
    ::RegisterClassExW(&wc);
    const HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, title, WS_POPUP, 200, 150, 640, 400, nullptr,
                                        nullptr, nullptr, nullptr);
    ::ShowWindow(hwnd, showCommand);
    return hwnd;
}
NoNewThreads::NoNewThreads()
{
    pthread_getattr_default_np(&m_previous);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t{1} << 46);
    pthread_setattr_default_np(&huge);
    pthread_attr_destroy(&huge);
}

NoNewThreads::~NoNewThreads()
{
    pthread_setattr_default_np(&m_previous);
    pthread_attr_destroy(&m_previous);
}

LogLines::LogLines()
{
    CLog::GetInstance()->m_bDebugOutput = true;
    if (!CLog::GetInstance()->IsStarted())
        CLog::GetInstance()->Start();
    m_previous = platform::SetDebugSink([this](const std::wstring& line) {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_text += line;
    });
}

LogLines::~LogLines()
{
    platform::SetDebugSink(m_previous);
}

bool LogLines::WaitFor(const std::wstring& part, DWORD timeoutMs)
{
    return PumpUntil(
        [&] {
            const std::lock_guard<std::mutex> guard(m_lock);
            return m_text.find(part) != std::wstring::npos;
        },
        static_cast<int>(timeoutMs));
}
} // namespace dialogtest
