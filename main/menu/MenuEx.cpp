#include "MenuEx.h"

#include "MenuUIEx.h"

#include <cwchar>

DuiLib::CControlUI* CMenuEx::CreateControl(LPCTSTR pstrClass)
{
    if (std::wcscmp(pstrClass, L"MenuEx") == 0)
        return new MenuUIEx;
    return CDuiMenu::CreateControl(pstrClass);
}
