#include "ui/CheckBoxUI.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CCheckBoxUI::GetClass() const
{
    return L"CheckBoxUI";
}

LPVOID CCheckBoxUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"CheckBox") == 0)
        return this;
    return COptionUI::GetInterface(pstrName);
}
} // namespace DuiLib
