#pragma once
// A choosable menu row. A row with "extendmenu" opens the list of that name beside it; a row
// without one ends the menu with its "command".

#include "ui/UIlib.h"

class CMenuUI;

class CMenuElementUI : public DuiLib::CListContainerElementUI
{
public:
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(DuiLib::TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void ShowSubMenu();
    void HideSubMenu();
    const DuiLib::CDuiString& GetExtendMenu() const { return m_strExtendMenu; }
    const DuiLib::CDuiString& GetCommand() const { return m_strCommand; }
    void OnClick();
    // Ends the menu with this row's command.
    void Choose();

    DuiLib::CDuiString m_strExtendMenu;
    DuiLib::CDuiString m_strCommand;
    CMenuUI* m_pOwner = nullptr;
    CMenuUI* m_pSubMenu = nullptr;
    bool m_bHasSubMenu = false;
    bool m_bSubMenuShown = false;
};
