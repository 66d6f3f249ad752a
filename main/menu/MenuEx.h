#pragma once
// The product's menus: lists written as "MenuEx" get the hover look of MenuUIEx.

#include "main/menu/DuiMenu.h"

class CMenuEx : public CDuiMenu
{
public:
    using CDuiMenu::CDuiMenu;
    DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;
};
