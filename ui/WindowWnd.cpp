#include "ui/WindowWnd.h"

#include "ui/PaintManagerUI.h"

#include "platform/Input.h"
#include "platform/WinError.h"

#include <algorithm>

namespace DuiLib
{
RECT GetWorkAreaRect()
{
    RECT work{};
    if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && !CDuiRect(work).IsEmpty())
        return work;
    // No answer: the whole primary screen.
    return RECT{0, 0, std::max(::GetSystemMetrics(SM_CXSCREEN), 1),
                std::max(::GetSystemMetrics(SM_CYSCREEN), 1)};
}

CWindowWnd::~CWindowWnd()
{
    // The window must not call into a destroyed object.
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
}

LPCTSTR CWindowWnd::GetSuperClassName() const
{
    return nullptr;
}

UINT CWindowWnd::GetClassStyle() const
{
    return 0;
}

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    if (::RegisterClassExW(&wc) != 0)
        return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                        HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left,
                  rc.bottom - rc.top, hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y,
                        int cx, int cy, HMENU hMenu)
{
    if (!RegisterWindowClass())
        return nullptr;
    m_hWnd = ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent,
                               hMenu, CPaintManagerUI::GetInstance(), this);
    return m_hWnd;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus)
{
    if (m_hWnd)
        ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal()
{
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
        return 0;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    m_nModalResult = 0;
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    const HWND self = m_hWnd;
    MSG msg{};
    bool quit = false;
    while (::IsWindow(self))
    {
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0)
        {
            quit = msg.message == WM_QUIT;
            break;
        }
        if (msg.hwnd == self && msg.message == WM_CLOSE)
        {
            m_nModalResult = static_cast<UINT>(msg.wParam);
            // The owner comes back before the box goes, so that it can take the activation.
            if (ownerWasEnabled)
                ::EnableWindow(owner, TRUE);
        }
        if (!CPaintManagerUI::TranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    // The outer loop must see the quit message too.
    if (quit)
        ::PostQuitMessage(static_cast<int>(msg.wParam));
    return m_nModalResult;
}

void CWindowWnd::Close(UINT nRet)
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::PostMessageW(m_hWnd, WM_CLOSE, static_cast<WPARAM>(nRet), 0);
}

void CWindowWnd::CenterWindow()
{
    if (m_hWnd == nullptr)
        return;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const RECT work = GetWorkAreaRect();
    RECT area = work;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = (area.left + area.right - width) / 2;
    int y = (area.top + area.bottom - height) / 2;
    // Kept on the screen.
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes)
{
    m_nIcon = nRes;
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    RECT client{};
    if (!::GetClientRect(m_hWnd, &client))
        return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, cx < 0 ? client.right : cx, cy < 0 ? client.bottom : cy,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* self = nullptr;
    if (uMsg == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    else
    {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (self == nullptr)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (uMsg != WM_NCDESTROY)
        return self->HandleMessage(uMsg, wParam, lParam);
    const LRESULT result = self->HandleMessage(uMsg, wParam, lParam);
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    // May delete the object: nothing of it is used afterwards.
    self->OnFinalMessage(hWnd);
    return result;
}
} // namespace DuiLib
