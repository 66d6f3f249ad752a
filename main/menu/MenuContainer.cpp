#include "main/menu/MenuContainer.h"

#include <cwchar>

void CMenuContainer::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"interval") == 0)
        m_nInterval = static_cast<int>(std::wcstol(pstrValue, nullptr, 10));
    else if (std::wcscmp(pstrName, L"keyevent") == 0)
        m_bKeyEvent = std::wcscmp(pstrValue, L"true") == 0;
    CContainerUI::SetAttribute(pstrName, pstrValue);
}
