#include "ui/ButtonUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include <cwchar>

namespace DuiLib
{
CButtonUI::CButtonUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

LPCTSTR CButtonUI::GetClass() const
{
    return L"ButtonUI";
}

LPVOID CButtonUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Button") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void CButtonUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!bEnable)
        m_uButtonState = 0;
}

bool CButtonUI::HandleMouseEvent(TEventUI& event)
{
    const bool inside = CDuiRect(m_rcItem).Contains(event.ptMouse);
    switch (event.Type)
    {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (inside && IsEnabled())
        {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return true;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED)
        {
            m_uButtonState = inside ? (m_uButtonState | UISTATE_PUSHED) : (m_uButtonState & ~UISTATE_PUSHED);
            Invalidate();
        }
        return true;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED)
        {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            // Last: the click handler may remove this button.
            if (inside)
                Activate();
        }
        return true;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled())
        {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~UISTATE_HOT;
        Invalidate();
        return true;
    default:
        return false;
    }
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_KEYDOWN && IsKeyboardEnabled() &&
        (event.chKey == static_cast<TCHAR>(VK_SPACE) || event.chKey == static_cast<TCHAR>(VK_RETURN)))
    {
        Activate();
        return;
    }
    if (event.Type == UIEVENT_SETCURSOR)
        return;
    if (!HandleMouseEvent(event))
        CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(LPCTSTR pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetHotImage(LPCTSTR pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetPushedImage(LPCTSTR pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetFocusedImage(LPCTSTR pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetDisabledImage(LPCTSTR pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    static const AttributeSetter<CButtonUI> kSetters[] = {
        {L"normalimage", [](CButtonUI& c, LPCTSTR v) { c.SetNormalImage(v); }},
        {L"hotimage", [](CButtonUI& c, LPCTSTR v) { c.SetHotImage(v); }},
        {L"pushedimage", [](CButtonUI& c, LPCTSTR v) { c.SetPushedImage(v); }},
        {L"focusedimage", [](CButtonUI& c, LPCTSTR v) { c.SetFocusedImage(v); }},
        {L"disabledimage", [](CButtonUI& c, LPCTSTR v) { c.SetDisabledImage(v); }},
        {L"hottextcolor", [](CButtonUI& c, LPCTSTR v) { c.SetHotTextColor(ParseColor(v)); }},
        {L"pushedtextcolor", [](CButtonUI& c, LPCTSTR v) { c.SetPushedTextColor(ParseColor(v)); }},
        {L"focusedtextcolor", [](CButtonUI& c, LPCTSTR v) { c.SetFocusedTextColor(ParseColor(v)); }},
        {L"hotbkcolor", [](CButtonUI& c, LPCTSTR v) { c.SetHotBkColor(ParseColor(v)); }},
    };
    if (!ApplyAttribute(kSetters, *this, pstrName, pstrValue))
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CButtonUI::RefreshStateFlags()
{
    m_uButtonState = IsFocused() ? (m_uButtonState | UISTATE_FOCUSED) : (m_uButtonState & ~UISTATE_FOCUSED);
    m_uButtonState = IsEnabled() ? (m_uButtonState & ~UISTATE_DISABLED) : (m_uButtonState | UISTATE_DISABLED);
}

void CButtonUI::PaintBkColor(HDC hDC)
{
    if ((m_uButtonState & UISTATE_HOT) && m_dwHotBkColor != 0)
        CRenderEngine::DrawColor(hDC, m_rcItem, m_dwHotBkColor);
    else
        CLabelUI::PaintBkColor(hDC);
}

void CButtonUI::PaintStatusImage(HDC hDC)
{
    RefreshStateFlags();
    const CDuiString* image = nullptr;
    if (m_uButtonState & UISTATE_DISABLED)
        image = &m_sDisabledImage;
    else if (m_uButtonState & UISTATE_PUSHED)
        image = &m_sPushedImage;
    else if (m_uButtonState & UISTATE_HOT)
        image = &m_sHotImage;
    else if (m_uButtonState & UISTATE_FOCUSED)
        image = &m_sFocusedImage;
    // A state without its own image shows the normal one.
    if (image && !image->IsEmpty() && DrawImage(hDC, *image))
        return;
    if (!m_sNormalImage.IsEmpty())
        DrawImage(hDC, m_sNormalImage);
}

DWORD CButtonUI::StateTextColor(DWORD dwBase) const
{
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor != 0)
        return m_dwPushedTextColor;
    if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0)
        return m_dwHotTextColor;
    if ((m_uButtonState & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0)
        return m_dwFocusedTextColor;
    return dwBase;
}

void CButtonUI::PaintText(HDC hDC)
{
    RefreshStateFlags();
    ResolveDefaultColors();
    if (m_sText.IsEmpty())
        return;
    const DWORD base = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    DrawLabelText(hDC, TextRect(), StateTextColor(base), m_iFont);
}
} // namespace DuiLib
