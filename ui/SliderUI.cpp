#include "ui/SliderUI.h"

#include "ui/AttributeParse.h"
#include "ui/PaintManagerUI.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
LPCTSTR CSliderUI::GetClass() const
{
    return L"SliderUI";
}

LPVOID CSliderUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Slider") == 0)
        return this;
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

void CSliderUI::SetChangeStep(int nStep)
{
    m_nStep = std::max(1, nStep);
}

void CSliderUI::SetThumbSize(SIZE szThumb)
{
    m_szThumb = SIZE{std::max<LONG>(0, szThumb.cx), std::max<LONG>(0, szThumb.cy)};
    Invalidate();
}

RECT CSliderUI::GetThumbRect() const
{
    if (m_bHorizontal)
    {
        const int track = std::max(0, GetWidth() - static_cast<int>(m_szThumb.cx));
        const int left = m_rcItem.left + FilledLength(track);
        const int top = m_rcItem.top + (GetHeight() - m_szThumb.cy) / 2;
        return RECT{left, top, left + m_szThumb.cx, top + m_szThumb.cy};
    }
    const int track = std::max(0, GetHeight() - static_cast<int>(m_szThumb.cy));
    const int top = m_rcItem.bottom - m_szThumb.cy - FilledLength(track);
    const int left = m_rcItem.left + (GetWidth() - m_szThumb.cx) / 2;
    return RECT{left, top, left + m_szThumb.cx, top + m_szThumb.cy};
}

int CSliderUI::ValueAt(POINT pt) const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    const int track = m_bHorizontal ? GetWidth() - m_szThumb.cx : GetHeight() - m_szThumb.cy;
    if (range <= 0 || track <= 0)
        return m_nMin;
    // The thumb's centre goes where the pointer is.
    const long long offset =
        m_bHorizontal ? pt.x - m_rcItem.left - m_szThumb.cx / 2 : m_rcItem.bottom - pt.y - m_szThumb.cy / 2;
    const long long raw = std::clamp<long long>(offset * range / track, 0, range);
    const long long stepped = (raw + m_nStep / 2) / m_nStep * m_nStep;
    return static_cast<int>(m_nMin + std::min(stepped, range));
}

void CSliderUI::NotifyIfChanged(int nBefore)
{
    if (m_nValue != nBefore && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
}

void CSliderUI::EndDrag(POINT pt)
{
    m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
    SetValue(ValueAt(pt));
    Invalidate();
    NotifyIfChanged(m_nValueAtPress);
}

void CSliderUI::SetHot(bool bHot)
{
    m_uButtonState = bHot ? (m_uButtonState | UISTATE_HOT) : (m_uButtonState & ~UISTATE_HOT);
    Invalidate();
}

void CSliderUI::DoEvent(TEventUI& event)
{
    const bool captured = (m_uButtonState & UISTATE_CAPTURED) != 0;
    switch (event.Type)
    {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (!IsEnabled())
            return;
        m_nValueAtPress = m_nValue;
        m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        if (!CDuiRect(GetThumbRect()).Contains(event.ptMouse))
            SetValue(ValueAt(event.ptMouse));
        Invalidate();
        return;
    case UIEVENT_MOUSEMOVE:
        if (captured)
            SetValue(ValueAt(event.ptMouse));
        return;
    case UIEVENT_BUTTONUP:
        if (captured)
            EndDrag(event.ptMouse);
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEnabled())
        {
            const int before = m_nValue;
            SetValue(m_nValue + (GET_WHEEL_DELTA_WPARAM(event.wParam) > 0 ? m_nStep : -m_nStep));
            NotifyIfChanged(before);
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled())
            SetHot(true);
        return;
    case UIEVENT_MOUSELEAVE:
        SetHot(false);
        return;
    default:
        CProgressUI::DoEvent(event);
        return;
    }
}

void CSliderUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const CDuiString name(pstrName);
    if (name == L"thumbimage")
        m_sThumbImage = pstrValue;
    else if (name == L"thumbhotimage")
        m_sThumbHotImage = pstrValue;
    else if (name == L"thumbpushedimage")
        m_sThumbPushedImage = pstrValue;
    else if (name == L"thumbsize")
        SetThumbSize(ParseSize(pstrValue));
    else if (name == L"step")
        SetChangeStep(ParseInt(pstrValue));
    else
        CProgressUI::SetAttribute(pstrName, pstrValue);
}

void CSliderUI::PaintStatusImage(HDC hDC)
{
    CProgressUI::PaintStatusImage(hDC);
    const CDuiString* image = &m_sThumbImage;
    if ((m_uButtonState & UISTATE_PUSHED) && !m_sThumbPushedImage.IsEmpty())
        image = &m_sThumbPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sThumbHotImage.IsEmpty())
        image = &m_sThumbHotImage;
    if (image->IsEmpty())
        return;
    const RECT thumb = GetThumbRect();
    CDuiString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", thumb.left - m_rcItem.left, thumb.top - m_rcItem.top,
                  thumb.right - m_rcItem.left, thumb.bottom - m_rcItem.top);
    DrawImage(hDC, *image, modify);
}
} // namespace DuiLib
