// Keyboard focus and mouse capture. Only a visible, enabled control of this manager takes the
// focus; the old control hears KILLFOCUS before the new one hears SETFOCUS, and either handler
// may move the focus again (the later SETFOCUS notification is then not sent).

#include "ui/PaintManagerParts.h"

#include "platform/Input.h"

namespace DuiLib
{
namespace
{
// Where a press that lost the capture is said to end: outside every control, so no click.
constexpr POINT kNowhere{-32768, -32768};

CControlUI* CollectTabStop(CControlUI* control, LPVOID data)
{
    if ((control->GetControlFlags() & UIFLAG_TABSTOP) && control->IsKeyboardEnabled())
        static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}
} // namespace

void CPaintManagerUI::SetFocus(CControlUI* pControl)
{
    if (pControl == m_pFocus)
        return;
    if (m_pFocus)
    {
        CControlUI* old = m_pFocus;
        m_pFocus = nullptr;
        DispatchEvent(old, UIEVENT_KILLFOCUS, m_ptLastMousePos, 0);
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (pControl == nullptr || pControl->GetManager() != this || !pControl->IsVisible() ||
        !pControl->IsEnabled())
        return;
    m_pFocus = pControl;
    DispatchEvent(pControl, UIEVENT_SETFOCUS, m_ptLastMousePos, 0);
    if (m_pFocus == pControl)
        SendNotify(pControl, DUI_MSGTYPE_SETFOCUS);
}

bool CPaintManagerUI::SetNextTabControl(bool bForward)
{
    if (m_pRoot == nullptr)
        return false;
    std::vector<CControlUI*> stops;
    m_pRoot->FindControl(&CollectTabStop, &stops, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (stops.empty())
        return false;
    const auto current = std::find(stops.begin(), stops.end(), m_pFocus);
    const int count = static_cast<int>(stops.size());
    int index = current == stops.end() ? (bForward ? 0 : count - 1)
                                       : static_cast<int>(current - stops.begin()) + (bForward ? 1 : -1);
    index = (index + count) % count;
    SetFocus(stops[static_cast<std::size_t>(index)]);
    return true;
}

void CPaintManagerUI::SetCapture()
{
    m_bMouseCapture = true;
    if (m_hWndPaint)
        ::SetCapture(m_hWndPaint);
}

void CPaintManagerUI::ReleaseCapture()
{
    // Cleared first: the WM_CAPTURECHANGED that follows is then known to be our own.
    const bool held = m_bMouseCapture;
    m_bMouseCapture = false;
    if (held && m_hWndPaint && ::GetCapture() == m_hWndPaint)
        ::ReleaseCapture();
}

void CPaintManagerUI::OnCaptureChanged(LPARAM lParam)
{
    if (!m_bMouseCapture || reinterpret_cast<HWND>(lParam) == m_hWndPaint)
        return;
    // Another window took the mouse mid-press: the press ends without a click.
    m_bMouseCapture = false;
    CControlUI* control = m_pEventClick;
    m_pEventClick = nullptr;
    DispatchEvent(control, UIEVENT_BUTTONUP, kNowhere, 0);
}
} // namespace DuiLib
