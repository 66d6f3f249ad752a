#include "ui/HorizontalLayoutUI.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CHorizontalLayoutUI::GetClass() const
{
    return L"HorizontalLayoutUI";
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"HorizontalLayout") == 0)
        return this;
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool)
{
    LayoutLinear(rc, false);
}
} // namespace DuiLib
