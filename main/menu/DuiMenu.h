#pragma once
// A popup menu built from a skin file: a root <Window> holding one MenuContainer of lists
// (Menu), each shown in a popup window of its own, with rows (MenuItem, StaticMenuItem) that
// can open other lists by name. Popup shows the major list at a point and runs its own loop
// until a row is chosen, a click lands outside, the pointer grab is lost or the application
// quits; it returns the chosen command.

#include "ui/UIlib.h"

class CMenuContainer;
class CMenuUI;

class CDuiMenu : public DuiLib::IDialogBuilderCallback
{
public:
    explicit CDuiMenu(LPCTSTR xml);
    virtual ~CDuiMenu();
    CDuiMenu(const CDuiMenu&) = delete;
    CDuiMenu& operator=(const CDuiMenu&) = delete;

    // Builds the tree and the (hidden) list windows. False when the file cannot be read or is
    // not a menu; lists and rows that make no sense are left out.
    bool Create(LPCTSTR xml);
    // The chosen command, the command set before when nothing was chosen, or an empty text
    // when there is no major list to show.
    DuiLib::CDuiString Popup(HWND hOwner, int x, int y);
    void Destroy();
    bool IsMenuWindow(HWND hWnd) const;
    CMenuUI* FindMenuByName(LPCTSTR name) const;
    DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;

    DuiLib::CDuiString m_strXml;
    HWND m_hOwner = nullptr;
    CMenuUI* m_pMajorMenu = nullptr;
    CMenuUI* m_pCurrentMenu = nullptr;
    CMenuContainer* m_pRoot = nullptr;
    bool m_bCreated = false;
    bool m_bChosen = false;
    DuiLib::CDuiString m_strCommand;

private:
    void CreateListWindow(CMenuUI* list, pugi::xml_node resources);
    void LinkSubMenus(CMenuUI* list);
    static void LoadWindowResources(DuiLib::CPaintManagerUI* pm, pugi::xml_node root);
    void RunMenuLoop();
    // A mouse message for the window under its point when that is one of the lists' windows
    // (input arrives at the capture holder); false when the point is on none of them.
    bool RouteToMenuWindow(MSG& msg) const;
    void HoldCapture() const;
    // Ends the menu for a press outside it and hands the press to the window under the pointer.
    void PassPressOutside(const MSG& press);
    std::vector<CMenuUI*> Lists() const;
};
