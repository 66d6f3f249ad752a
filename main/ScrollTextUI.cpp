#include "main/ScrollTextUI.h"

#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include "platform/Input.h"

#include <algorithm>
#include <cwchar>

namespace
{
// Steps larger than this would jump past any text in one tick.
constexpr long kMaxSpeed = 4096;

bool Inside(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}
} // namespace

LPCTSTR CScrollTextUI::GetClass() const
{
    return L"ScrollTextUI";
}

LPVOID CScrollTextUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"ScrollTextUI") == 0)
        return this;
    return CTextUI::GetInterface(pstrName);
}

UINT CScrollTextUI::GetControlFlags() const
{
    return m_bHot ? DuiLib::UIFLAG_SETCURSOR : 0;
}

void CScrollTextUI::SetText(LPCTSTR pstrText)
{
    CTextUI::SetText(pstrText);
    MeasureText();
}

void CScrollTextUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CTextUI::SetPos(rc, bNeedInvalidate);
    MeasureText();
}

void CScrollTextUI::MeasureText()
{
    m_nOffset = 0;
    if (m_pManager == nullptr || m_sText.IsEmpty())
    {
        m_nTextWidth = 0;
        return;
    }
    const SIZE size = DuiLib::CRenderEngine::GetTextSize(m_pManager->GetPaintDC(), m_pManager, m_sText,
                                                         m_iFont, DT_SINGLELINE);
    m_nTextWidth = size.cx;
}

void CScrollTextUI::DoEvent(DuiLib::TEventUI& event)
{
    const bool onText = Inside(m_rcText, event.ptMouse);
    switch (event.Type)
    {
    case DuiLib::UIEVENT_MOUSELEAVE:
        if (onText)
        {
            // Early: the text moved under a pointer that is leaving. Another leave comes later.
            m_pManager->AddMouseLeaveNeeded(this);
            return;
        }
        if (IsEnabled())
        {
            m_bHot = false;
            m_pManager->SetTimer(this, SCROLL_TIMER_ID, 20);
            Invalidate();
        }
        m_pManager->RemoveMouseLeaveNeeded(this);
        break;
    case DuiLib::UIEVENT_MOUSEENTER:
        if (onText && IsEnabled())
        {
            m_bHot = true;
            m_pManager->KillTimer(this, SCROLL_TIMER_ID);
            Invalidate();
        }
        break;
    case DuiLib::UIEVENT_BUTTONUP:
        if (onText && IsEnabled())
            m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
        break;
    case DuiLib::UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    case DuiLib::UIEVENT_TIMER:
        if (event.wParam == SCROLL_TIMER_ID)
        {
            ScrollStep();
            return;
        }
        break;
    default:
        break;
    }
    CTextUI::DoEvent(event);
}

void CScrollTextUI::ScrollStep()
{
    m_nOffset += m_nSpeed;
    // The text comes in again from the right edge once it has left at the left one.
    if (m_nOffset > m_nTextWidth)
        m_nOffset = m_rcItem.left - m_rcItem.right;
    else if (m_nOffset < m_rcItem.left - m_rcItem.right)
        m_nOffset = m_nTextWidth; // a negative speed runs the other way round

    Invalidate();
}

void CScrollTextUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"speed") == 0)
        m_nSpeed = static_cast<int>(std::clamp(std::wcstol(pstrValue, nullptr, 10), -kMaxSpeed, kMaxSpeed));
    else if (std::wcscmp(pstrName, L"hfont") == 0)
        m_iHoverFont = static_cast<int>(std::wcstol(pstrValue, nullptr, 10));
    else
        CTextUI::SetAttribute(pstrName, pstrValue);
}

void CScrollTextUI::PaintText(HDC hDC)
{
    if (m_sText.IsEmpty())
        return;
    ResolveDefaultColors();
    RECT area = TextRect();
    m_rcText = area;
    if (m_nOffset > 0)
        m_rcText.right = area.left + m_nTextWidth - m_nOffset;
    else
    {
        m_rcText.left = area.left - m_nOffset;
        m_rcText.right = m_rcText.left + m_nTextWidth;
    }
    area.left -= m_nOffset;
    const int font = m_iHoverFont != -1 && m_bHot ? m_iHoverFont : m_iFont;
    DuiLib::CRenderEngine::DrawText(hDC, m_pManager, area, m_sText, m_dwTextColor, font,
                                    DT_SINGLELINE | DT_VCENTER);
}
