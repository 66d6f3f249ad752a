#include "ui/ProgressUI.h"

#include "ui/AttributeParse.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
LPCTSTR CProgressUI::GetClass() const
{
    return L"ProgressUI";
}

LPVOID CProgressUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Progress") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

void CProgressUI::SetHorizontal(bool bHorizontal)
{
    m_bHorizontal = bHorizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int nMin)
{
    m_nMin = nMin;
    m_nMax = std::max(m_nMax, m_nMin);
    SetValue(m_nValue);
    Invalidate();
}

void CProgressUI::SetMaxValue(int nMax)
{
    m_nMax = nMax;
    m_nMin = std::min(m_nMin, m_nMax);
    SetValue(m_nValue);
    Invalidate();
}

void CProgressUI::SetValue(int nValue)
{
    nValue = std::clamp(nValue, m_nMin, m_nMax);
    if (nValue == m_nValue)
        return;
    m_nValue = nValue;
    Invalidate();
}

void CProgressUI::SetForeImage(LPCTSTR pStrImage)
{
    m_sForeImage = pStrImage;
    Invalidate();
}

void CProgressUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const CDuiString name(pstrName);
    if (name == L"hor")
        SetHorizontal(ParseBool(pstrValue));
    else if (name == L"min")
        SetMinValue(ParseInt(pstrValue));
    else if (name == L"max")
        SetMaxValue(ParseInt(pstrValue));
    else if (name == L"value")
        SetValue(ParseInt(pstrValue));
    else if (name == L"foreimage")
        SetForeImage(pstrValue);
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

int CProgressUI::FilledLength(int total) const
{
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    if (range <= 0 || total <= 0)
        return 0;
    return static_cast<int>((static_cast<long long>(m_nValue) - m_nMin) * total / range);
}

void CProgressUI::PaintStatusImage(HDC hDC)
{
    if (m_sForeImage.IsEmpty())
        return;
    const int width = GetWidth();
    const int height = GetHeight();
    RECT dest{};
    if (m_bHorizontal)
        dest = RECT{0, 0, FilledLength(width), height};
    else
        dest = RECT{0, height - FilledLength(height), width, height};
    if (CDuiRect(dest).IsEmpty())
        return;
    CDuiString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", dest.left, dest.top, dest.right, dest.bottom);
    DrawImage(hDC, m_sForeImage, modify);
}
} // namespace DuiLib
