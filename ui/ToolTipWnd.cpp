#include "ui/ToolTipWnd.h"

#include "ui/ControlUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include "platform/Input.h"

#include <algorithm>

namespace DuiLib
{
namespace
{
constexpr DWORD kBkColor = 0xFFFFFFE0;
constexpr DWORD kBorderColor = 0xFFC8CCD6;
constexpr DWORD kTextColor = 0xFF333333;
constexpr int kPadX = 6;
constexpr int kPadY = 4;
// Longer texts wrap at word boundaries within this width.
constexpr int kMaxWidth = 300;
// Below-right of the pointer, clear of the arrow cursor.
constexpr POINT kPointerOffset{10, 20};
constexpr UINT kTextStyle = DT_WORDBREAK | DT_NOPREFIX;
} // namespace

CToolTipWnd::~CToolTipWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

void CToolTipWnd::Show(CControlUI* pControl, POINT ptClient)
{
    const CDuiString text = pControl ? pControl->GetToolTip() : CDuiString();
    if (text.IsEmpty())
    {
        Hide();
        return;
    }
    // A second rest on the same control keeps the tip where it is.
    if (pControl == m_pControl && text == m_sText && ::IsWindowVisible(m_hWnd))
        return;
    if (!EnsureWindow())
        return;
    m_pControl = pControl;
    m_sText = text;
    POINT ptScreen = ptClient;
    ::ClientToScreen(m_pManager->GetPaintWindow(), &ptScreen);
    const RECT rc = PlaceNear(ptScreen, MeasureText());
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOACTIVATE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
}

void CToolTipWnd::Hide()
{
    m_pControl = nullptr;
    if (m_hWnd && ::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_HIDE);
}

LPCTSTR CToolTipWnd::GetWindowClassName() const
{
    return L"DuiToolTipWnd";
}

bool CToolTipWnd::EnsureWindow()
{
    if (m_hWnd)
        return true;
    // Owned by the manager's window: it stays above it and goes with it.
    const HWND owner = m_pManager->GetPaintWindow();
    if (owner == nullptr)
        return false;
    return Create(owner, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, 0, 0, 1, 1) !=
           nullptr;
}

SIZE CToolTipWnd::MeasureText()
{
    RECT rc{0, 0, kMaxWidth - 2 * kPadX, 0};
    CRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rc, m_sText, kTextColor, -1,
                            kTextStyle | DT_CALCRECT);
    return SIZE{rc.right - rc.left + 2 * kPadX, rc.bottom - rc.top + 2 * kPadY};
}

RECT CToolTipWnd::PlaceNear(POINT ptScreen, SIZE size) const
{
    const RECT work = GetWorkAreaRect();
    int x = ptScreen.x + kPointerOffset.x;
    int y = ptScreen.y + kPointerOffset.y;
    if (x + size.cx > work.right)
        x = work.right - size.cx;
    // No room below: above the pointer instead, so the tip does not cover it.
    if (y + size.cy > work.bottom)
        y = ptScreen.y - size.cy - kPadY;
    x = std::max<int>(x, work.left);
    y = std::max<int>(y, work.top);
    return RECT{x, y, x + size.cx, y + size.cy};
}

void CToolTipWnd::OnPaint()
{
    PAINTSTRUCT ps{};
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (dc == nullptr)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CRenderEngine::DrawColor(dc, client, kBkColor);
    CRenderEngine::DrawRect(dc, client, 1, kBorderColor);
    RECT text{client.left + kPadX, client.top + kPadY, client.right - kPadX, client.bottom - kPadY};
    CRenderEngine::DrawText(dc, m_pManager, text, m_sText, kTextColor, -1, kTextStyle);
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CToolTipWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        m_pControl = nullptr;
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}
} // namespace DuiLib
