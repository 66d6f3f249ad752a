#include "ui/VerticalLayoutUI.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CVerticalLayoutUI::GetClass() const
{
    return L"VerticalLayoutUI";
}

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"VerticalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool)
{
    LayoutLinear(rc, true);
}
} // namespace DuiLib
