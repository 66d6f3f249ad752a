#include "main/menu/MenuUI.h"

#include "main/menu/DuiMenu.h"
#include "main/menu/MenuElementUI.h"
#include "main/menu/MenuWnd.h"

#include <cwchar>

using namespace DuiLib;

CMenuUI::CMenuUI() : m_pWnd(new CMenuWnd)
{
    GetHeader()->SetVisible(false);
}

CMenuUI::~CMenuUI()
{
    // The window lets go of the list on WM_CLOSE and deletes itself when it is gone.
    if (m_pWnd->GetHWND() != nullptr)
        m_pWnd->SendMessage(WM_CLOSE);
    else
        delete m_pWnd;
    m_pWnd = nullptr;
}

LPVOID CMenuUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Menu") == 0)
        return this;
    return CListUI::GetInterface(pstrName);
}

void CMenuUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"major") == 0)
        m_bMajor = std::wcscmp(pstrValue, L"true") == 0;
    CListUI::SetAttribute(pstrName, pstrValue);
}

bool CMenuUI::Add(CControlUI* pControl)
{
    if (auto* row = static_cast<CMenuElementUI*>(pControl->GetInterface(L"MenuItem")))
        row->m_pOwner = this;
    return CListUI::Add(pControl);
}

HWND CMenuUI::GetMenuWindow() const
{
    return m_pWnd != nullptr ? m_pWnd->GetHWND() : nullptr;
}

CMenuElementUI* CMenuUI::RowAt(int index) const
{
    CControlUI* item = GetItemAt(index);
    return item != nullptr ? static_cast<CMenuElementUI*>(item->GetInterface(L"MenuItem")) : nullptr;
}

void CMenuUI::SetHotItem(CMenuElementUI* pItem)
{
    if (pItem == nullptr || !pItem->IsEnabled())
    {
        m_pHotItem = pItem;
        return;
    }
    m_pHotItem = pItem;
    OnItemHot(pItem);
    for (int i = 0; i < GetCount(); ++i)
    {
        CMenuElementUI* row = RowAt(i);
        if (row != nullptr && row != pItem)
            OnItemNormal(row);
    }
}

void CMenuUI::ShowSubMenu(CMenuElementUI* pItem)
{
    if (pItem == nullptr)
        return;
    for (int i = 0; i < GetCount(); ++i)
    {
        CMenuElementUI* row = RowAt(i);
        if (row != nullptr && row != pItem && row->m_bSubMenuShown)
            row->HideSubMenu();
    }
    m_pHotItem = pItem;
    if (pItem->m_pSubMenu != nullptr)
    {
        if (!pItem->m_bSubMenuShown)
            pItem->ShowSubMenu();
        m_bSubMenuActive = true;
        m_pActiveSubMenu = pItem->m_pSubMenu;
    }
    else
    {
        m_bSubMenuActive = false;
        m_pActiveSubMenu = nullptr;
    }
}

void CMenuUI::OnItemLeave(CMenuElementUI* pItem)
{
    if (pItem->m_bSubMenuShown)
        return;
    OnItemNormal(pItem);
    m_pHotItem = nullptr;
}

CMenuElementUI* CMenuUI::Step(int direction)
{
    const int count = GetCount();
    const int hot = m_pHotItem != nullptr ? GetItemIndex(m_pHotItem) : -1;
    int index = hot >= 0 ? hot : (direction > 0 ? -1 : count);
    // One pass over the list at most: a list without an enabled row answers null.
    for (int tried = 0; tried < count; ++tried)
    {
        index += direction;
        if (index >= count)
            index = 0;
        else if (index < 0)
            index = count - 1;
        CMenuElementUI* row = RowAt(index);
        if (row != nullptr && row->IsEnabled())
            return row;
    }
    return nullptr;
}

CMenuElementUI* CMenuUI::NextItem()
{
    return Step(1);
}

CMenuElementUI* CMenuUI::PrevItem()
{
    return Step(-1);
}

void CMenuUI::ActivateHotItem()
{
    if (m_pHotItem == nullptr)
        return;
    if (m_pHotItem->m_bHasSubMenu)
    {
        ShowSubMenu(m_pHotItem);
        if (m_bSubMenuActive && m_pActiveSubMenu != nullptr)
            m_pActiveSubMenu->SetHotItem(m_pActiveSubMenu->NextItem());
        return;
    }
    m_pHotItem->Choose();
}
