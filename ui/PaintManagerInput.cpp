// Window messages to control events. The rules a control may rely on:
// - message filters see every message first; the first that handles one ends it there;
// - the tree is laid out before any mouse message, so input before the first paint still
//   meets controls in place;
// - while a control is pressed the window holds the capture and every mouse event goes to
//   that control, wherever the pointer is; hover changes are still reported;
// - a hover change sends MOUSELEAVE to the old control before MOUSEENTER to the new one;
// - keys go to the focused control; Tab and Shift+Tab move the focus instead.

#include "ui/PaintManagerParts.h"

#include "ui/ToolTipWnd.h"

#include "platform/Input.h"
#include "platform/Kernel.h"

namespace DuiLib
{
bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (m_hWndPaint == nullptr)
        return false;
    if (RunMessageFilters(m_messageFilters, uMsg, wParam, lParam, lRes))
        return true;
    lRes = 0;
    switch (uMsg)
    {
    case kPaintManagerFlush:
        m_bFlushPosted = false;
        FlushAsyncNotify();
        FlushDelayedCleanup();
        return true;
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_SIZE:
        if (m_pRoot)
            m_pRoot->NeedUpdate();
        m_bUpdateNeeded = true;
        Invalidate();
        return false;
    case WM_TIMER:
        if (wParam < kControlTimerBase)
            return false;
        OnTimer(wParam);
        return true;
    case WM_DESTROY:
        RemoveAllTimers();
        return false;
    case WM_NCDESTROY:
        OnNcDestroy();
        return false;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(lParam);
        return false;
    case WM_SETCURSOR:
        if (!OnSetCursor(lParam))
            return false;
        lRes = TRUE;
        return true;
    case WM_KILLFOCUS:
        m_bShiftDown = false;
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            HideToolTip();
        return false;
    case WM_ENABLE:
        // A modal window disables its owner: the owner's tip would stay over it.
        if (wParam == FALSE)
            HideToolTip();
        return false;
    default:
        break;
    }
    if (uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST)
        return HandleMouseMessage(uMsg, wParam, lParam);
    if (uMsg == WM_MOUSELEAVE || uMsg == WM_MOUSEHOVER)
        return HandleMouseMessage(uMsg, wParam, lParam);
    if (uMsg == WM_KEYDOWN || uMsg == WM_KEYUP || uMsg == WM_CHAR)
        return HandleKeyMessage(uMsg, wParam, lParam);
    return false;
}

void CPaintManagerUI::DispatchEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam,
                                    TCHAR chKey)
{
    if (pControl == nullptr)
        return;
    TEventUI event;
    event.Type = type;
    event.pSender = pControl;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.chKey = chKey;
    event.wKeyState = static_cast<WORD>(wParam);
    event.wParam = wParam;
    event.lParam = lParam;
    pControl->Event(event);
}

void CPaintManagerUI::SetHover(CControlUI* pNewHover, POINT pt, WPARAM wParam)
{
    if (pNewHover == m_pEventHover)
        return;
    HideToolTip();
    CControlUI* old = m_pEventHover;
    m_pEventHover = pNewHover;
    DispatchEvent(old, UIEVENT_MOUSELEAVE, pt, wParam);
    // The leave handler may have removed the new control (it is reaped then).
    if (m_pEventHover == pNewHover)
        DispatchEvent(pNewHover, UIEVENT_MOUSEENTER, pt, wParam);
}

void CPaintManagerUI::AddMouseLeaveNeeded(CControlUI* pControl)
{
    if (pControl != nullptr &&
        std::find(m_mouseLeaveNeeded.begin(), m_mouseLeaveNeeded.end(), pControl) == m_mouseLeaveNeeded.end())
        m_mouseLeaveNeeded.push_back(pControl);
}

void CPaintManagerUI::RemoveMouseLeaveNeeded(CControlUI* pControl)
{
    std::erase(m_mouseLeaveNeeded, pControl);
}

void CPaintManagerUI::SendNeededMouseLeaves(POINT pt, WPARAM wParam)
{
    // Each one asks again when it still is not done; a control removed meanwhile is gone from
    // the list before its turn.
    std::vector<CControlUI*> pending;
    pending.swap(m_mouseLeaveNeeded);
    for (CControlUI* control : pending)
    {
        if (control != m_pEventHover)
            DispatchEvent(control, UIEVENT_MOUSELEAVE, pt, wParam);
        else
            AddMouseLeaveNeeded(control);
    }
}

void CPaintManagerUI::ShowToolTip(POINT pt)
{
    if (m_pEventHover == nullptr || m_pEventHover->GetToolTip().IsEmpty())
        return;
    if (m_pToolTip == nullptr)
        m_pToolTip = std::make_unique<CToolTipWnd>(this);
    m_pToolTip->Show(m_pEventHover, pt);
}

void CPaintManagerUI::HideToolTip()
{
    if (m_pToolTip)
        m_pToolTip->Hide();
}

void CPaintManagerUI::TrackMouse()
{
    if (m_bMouseTracking || m_bMouseCapture || m_hWndPaint == nullptr)
        return;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_HOVER, m_hWndPaint, HOVER_DEFAULT};
    m_bMouseTracking = ::TrackMouseEvent(&track) != FALSE;
}

bool CPaintManagerUI::OnSetCursor(LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT || m_pRoot == nullptr)
        return false;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWndPaint, &pt);
    UpdateLayout();
    CControlUI* control = m_bMouseCapture && m_pEventClick ? m_pEventClick : FindControl(pt);
    if (control == nullptr || !control->IsEnabled())
        return false;
    if (LPCWSTR id = control->GetCursorId())
    {
        ::SetCursor(::LoadCursorW(nullptr, id));
        return true;
    }
    if ((control->GetControlFlags() & UIFLAG_SETCURSOR) == 0)
        return false;
    // The arrow unless the control picks another.
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    DispatchEvent(control, UIEVENT_SETCURSOR, pt, 0);
    return true;
}

void CPaintManagerUI::OnMouseMove(POINT pt, WPARAM wParam)
{
    m_ptLastMousePos = pt;
    TrackMouse();
    SetHover(FindControl(pt), pt, wParam);
    if (!m_mouseLeaveNeeded.empty())
        SendNeededMouseLeaves(pt, wParam);
    DispatchEvent(m_pEventClick ? m_pEventClick : m_pEventHover, UIEVENT_MOUSEMOVE, pt, wParam);
}

void CPaintManagerUI::OnButtonDown(UINT uMsg, POINT pt, WPARAM wParam)
{
    m_ptLastMousePos = pt;
    HideToolTip();
    CControlUI* control = FindControl(pt);
    if (control == nullptr)
        return;
    m_pEventClick = control;
    control->SetFocus();
    if (m_pEventClick == nullptr)
        return;
    SetCapture();
    DispatchEvent(m_pEventClick, uMsg == WM_LBUTTONDBLCLK ? UIEVENT_DBLCLICK : UIEVENT_BUTTONDOWN, pt,
                  wParam);
}

void CPaintManagerUI::OnButtonUp(POINT pt, WPARAM wParam)
{
    m_ptLastMousePos = pt;
    ReleaseCapture();
    CControlUI* control = m_pEventClick;
    m_pEventClick = nullptr;
    DispatchEvent(control, UIEVENT_BUTTONUP, pt, wParam);
    // Leaving was not reported during the capture: a release outside hears of it now.
    m_bMouseTracking = false;
    TrackMouse();
}

void CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    CControlUI* target = m_pEventHover ? m_pEventHover : m_pFocus;
    DispatchEvent(target, UIEVENT_SCROLLWHEEL, m_ptLastMousePos, wParam, lParam);
}

bool CPaintManagerUI::HandleMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Input before the first paint still meets a laid-out tree.
    UpdateLayout();
    const POINT pt = CDuiPoint(lParam);
    switch (uMsg)
    {
    case WM_MOUSEMOVE:
        OnMouseMove(pt, wParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(uMsg, pt, wParam);
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(pt, wParam);
        return true;
    case WM_RBUTTONDOWN:
        m_ptLastMousePos = pt;
        HideToolTip();
        DispatchEvent(FindControl(pt), UIEVENT_RBUTTONDOWN, pt, wParam);
        return true;
    case WM_MOUSEWHEEL:
        HideToolTip();
        OnMouseWheel(wParam, lParam);
        return true;
    case WM_MOUSELEAVE:
        m_bMouseTracking = false;
        if (!m_bMouseCapture)
        {
            SetHover(nullptr, m_ptLastMousePos, wParam);
            if (!m_mouseLeaveNeeded.empty())
                SendNeededMouseLeaves(POINT{-1, -1}, wParam); // the pointer is off the window now
        }
        return true;
    case WM_MOUSEHOVER:
        m_bMouseTracking = false;
        DispatchEvent(m_pEventHover, UIEVENT_MOUSEHOVER, pt, wParam);
        ShowToolTip(pt);
        return true;
    default:
        return false;
    }
}

bool CPaintManagerUI::HandleKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_KEYDOWN)
        HideToolTip();
    if (wParam == static_cast<WPARAM>(VK_SHIFT) && uMsg != WM_CHAR)
        m_bShiftDown = uMsg == WM_KEYDOWN;
    if (uMsg == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_TAB))
        return SetNextTabControl(!m_bShiftDown);
    if (m_pFocus == nullptr)
        return false;
    const int type = uMsg == WM_KEYDOWN ? UIEVENT_KEYDOWN : uMsg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR;
    DispatchEvent(m_pFocus, type, m_ptLastMousePos, wParam, lParam, static_cast<TCHAR>(wParam));
    return true;
}
} // namespace DuiLib
