#pragma once
// One menu list with its own popup window. The list tracks its hot row, opens and closes the
// submenus of its rows and moves the highlight with the keyboard.

#include "ui/UIlib.h"

class CDuiMenu;
class CMenuElementUI;
class CMenuWnd;

class CMenuUI : public DuiLib::CListUI, public DuiLib::INotifyUI
{
public:
    CMenuUI();
    ~CMenuUI() override;

    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    bool Add(DuiLib::CControlUI* pControl) override;
    void Notify(DuiLib::TNotifyUI& msg) override {}

    virtual void OnItemHot(CMenuElementUI* pItem) {}
    virtual void OnItemNormal(CMenuElementUI* pItem) {}

    void SetHotItem(CMenuElementUI* pItem);
    void ShowSubMenu(CMenuElementUI* pItem);
    void OnItemLeave(CMenuElementUI* pItem);
    // The next (previous) enabled row after (before) the hot one, wrapping round once; null
    // when the list has no enabled row.
    CMenuElementUI* NextItem();
    CMenuElementUI* PrevItem();
    void ActivateHotItem();
    HWND GetMenuWindow() const;

    bool m_bMajor = false;
    bool m_bSubMenuActive = false;
    CMenuUI* m_pActiveSubMenu = nullptr;
    CMenuWnd* m_pWnd = nullptr;
    CDuiMenu* m_pOwner = nullptr;
    CMenuElementUI* m_pHotItem = nullptr;
    CMenuUI* m_pParentMenu = nullptr;

private:
    CMenuElementUI* RowAt(int index) const;
    CMenuElementUI* Step(int direction);
};
