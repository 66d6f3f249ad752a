#include "ui/ListHeaderUI.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CListHeaderUI::GetClass() const
{
    return L"ListHeaderUI";
}

LPVOID CListHeaderUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"ListHeader") == 0)
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}
} // namespace DuiLib
