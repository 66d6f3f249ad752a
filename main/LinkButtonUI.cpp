#include "main/LinkButtonUI.h"

#include <cwchar>

LPCTSTR CLinkButtonUI::GetClass() const
{
    return L"LinkButton";
}

LPVOID CLinkButtonUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"LinkButton") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void CLinkButtonUI::SetHoverFont(int index)
{
    m_iHoverFont = index;
    Invalidate();
}

void CLinkButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"hFont") == 0)
        SetHoverFont(static_cast<int>(std::wcstol(pstrValue, nullptr, 10))); // no digits: 0
    else
        CButtonUI::SetAttribute(pstrName, pstrValue);
}

void CLinkButtonUI::PaintText(HDC hDC)
{
    // The button's own painting, with the hover font standing in while hot or held down.
    const bool hovered = (m_uButtonState & (DuiLib::UISTATE_HOT | DuiLib::UISTATE_PUSHED)) != 0;
    if (m_iHoverFont == -1 || !hovered)
    {
        CButtonUI::PaintText(hDC);
        return;
    }
    const int normalFont = m_iFont;
    m_iFont = m_iHoverFont;
    CButtonUI::PaintText(hDC);
    m_iFont = normalFont;
}
