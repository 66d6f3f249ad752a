#include "main/menu/MenuEx.h"

#include "main/menu/MenuUIEx.h"

#include <cwchar>

DuiLib::CControlUI* CMenuEx::CreateControl(LPCTSTR pstrClass)
{
    if (std::wcscmp(pstrClass, L"MenuEx") == 0)
        return new MenuUIEx;
    return CDuiMenu::CreateControl(pstrClass);
}
