#include "ui/LabelUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/RenderEngine.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CLabelUI::GetClass() const
{
    return L"LabelUI";
}

LPVOID CLabelUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Label") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool bShowHtml)
{
    m_bShowHtml = bShowHtml;
    Invalidate();
}

namespace
{
UINT Aligned(UINT style, LPCTSTR value)
{
    const CDuiString align(value);
    if (align == L"left" || align == L"center" || align == L"right")
        style &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
    if (align == L"center")
        style |= DT_CENTER;
    else if (align == L"right")
        style |= DT_RIGHT;
    return style;
}

UINT VAligned(UINT style, LPCTSTR value)
{
    const CDuiString align(value);
    if (align == L"top" || align == L"vcenter" || align == L"center" || align == L"bottom")
        style &= ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
    if (align == L"vcenter" || align == L"center")
        style |= DT_VCENTER;
    else if (align == L"bottom")
        style |= DT_BOTTOM;
    return style;
}

UINT Flag(UINT style, UINT flag, bool on)
{
    return on ? (style | flag) : (style & ~flag);
}
} // namespace

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const auto setWordbreak = [](CLabelUI& c, LPCTSTR v) {
        c.SetTextStyle(Flag(Flag(c.m_uTextStyle, DT_WORDBREAK, ParseBool(v)), DT_SINGLELINE, !ParseBool(v)));
    };
    static const AttributeSetter<CLabelUI> kSetters[] = {
        {L"align", [](CLabelUI& c, LPCTSTR v) { c.SetTextStyle(Aligned(c.m_uTextStyle, v)); }},
        {L"valign", [](CLabelUI& c, LPCTSTR v) { c.SetTextStyle(VAligned(c.m_uTextStyle, v)); }},
        {L"endellipsis",
         [](CLabelUI& c, LPCTSTR v) { c.SetTextStyle(Flag(c.m_uTextStyle, DT_END_ELLIPSIS, ParseBool(v))); }},
        {L"wordbreak", setWordbreak},
        {L"multiline", setWordbreak},
        {L"font", [](CLabelUI& c, LPCTSTR v) { c.SetFont(ParseInt(v)); }},
        {L"textcolor", [](CLabelUI& c, LPCTSTR v) { c.SetTextColor(ParseColor(v)); }},
        {L"disabledtextcolor", [](CLabelUI& c, LPCTSTR v) { c.SetDisabledTextColor(ParseColor(v)); }},
        {L"textpadding", [](CLabelUI& c, LPCTSTR v) { c.SetTextPadding(ParseRect(v)); }},
        {L"showhtml", [](CLabelUI& c, LPCTSTR v) { c.SetShowHtml(ParseBool(v)); }},
    };
    if (!ApplyAttribute(kSetters, *this, pstrName, pstrValue))
        CControlUI::SetAttribute(pstrName, pstrValue);
}

RECT CLabelUI::TextRect() const
{
    CDuiRect rc(m_rcItem);
    rc.Deflate(m_rcTextPadding);
    return rc;
}

void CLabelUI::ResolveDefaultColors()
{
    if (m_pManager == nullptr)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

void CLabelUI::DrawLabelText(HDC hDC, const RECT& rc, DWORD dwColor, int iFont)
{
    RECT area = rc;
    if (m_bShowHtml)
    {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, area, m_sText, dwColor, nullptr, nullptr, links, iFont,
                                    m_uTextStyle);
    }
    else
    {
        CRenderEngine::DrawText(hDC, m_pManager, area, m_sText, dwColor, iFont, m_uTextStyle);
    }
}

void CLabelUI::PaintText(HDC hDC)
{
    ResolveDefaultColors();
    if (m_sText.IsEmpty())
        return;
    DrawLabelText(hDC, TextRect(), IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor, m_iFont);
}
} // namespace DuiLib
