#include "main/menu/StaticMenuElementUI.h"

#include <cwchar>

LPVOID CStaticMenuElementUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"StaticMenuItem") == 0)
        return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

void CStaticMenuElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    CContainerUI::DoPaint(hDC, rcPaint);
}
