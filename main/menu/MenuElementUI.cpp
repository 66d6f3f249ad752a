#include "main/menu/MenuElementUI.h"

#include "main/menu/DuiMenu.h"
#include "main/menu/MenuContainer.h"
#include "main/menu/MenuUI.h"
#include "main/menu/MenuWnd.h"

#include "platform/Input.h"

#include <cwchar>

using namespace DuiLib;

LPVOID CMenuElementUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"MenuItem") == 0)
        return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

void CMenuElementUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"extendmenu") == 0)
    {
        m_bHasSubMenu = true;
        m_strExtendMenu = pstrValue;
    }
    else if (std::wcscmp(pstrName, L"command") == 0)
        m_strCommand = pstrValue;
    CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

void CMenuElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    CContainerUI::DoPaint(hDC, rcPaint);
}

void CMenuElementUI::DoEvent(TEventUI& event)
{
    const bool mouse = event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND;
    if (!IsMouseEnabled() && mouse)
    {
        if (m_pOwner != nullptr)
            m_pOwner->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    if (!IsEnabled())
        return;
    switch (event.Type)
    {
    case UIEVENT_DBLCLICK:
        Activate();
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_RETURN)
        {
            Activate();
            Invalidate();
        }
        break;
    case UIEVENT_MOUSEENTER:
        m_bHot = true;
        if (m_pOwner != nullptr)
        {
            m_pOwner->SetHotItem(this);
            m_pOwner->ShowSubMenu(this);
        }
        Invalidate();
        break;
    case UIEVENT_MOUSELEAVE:
        if (m_bHot)
        {
            m_bHot = false;
            if (m_pOwner != nullptr)
                m_pOwner->OnItemLeave(this);
            Invalidate();
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        Select(true, true);
        Invalidate();
        break;
    case UIEVENT_BUTTONUP:
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMCLICK);
        OnClick();
        break;
    default:
        break;
    }
}

void CMenuElementUI::OnClick()
{
    if (!m_bHasSubMenu)
        Choose();
}

void CMenuElementUI::Choose()
{
    if (m_pOwner == nullptr || m_pOwner->m_pOwner == nullptr)
        return;
    m_pOwner->m_pOwner->m_bChosen = true;
    m_pOwner->m_pOwner->m_strCommand = m_strCommand;
}

void CMenuElementUI::ShowSubMenu()
{
    if (m_pSubMenu == nullptr || m_pOwner == nullptr || m_pOwner->m_pOwner == nullptr)
        return;
    CDuiMenu* menu = m_pOwner->m_pOwner;
    const int interval = menu->m_pRoot != nullptr ? menu->m_pRoot->m_nInterval : 0;
    const RECT row = GetPos();
    const int rowWidth = row.right - row.left;
    const int width = m_pSubMenu->GetFixedWidth();
    const int height = m_pSubMenu->GetFixedHeight();
    POINT point{row.right + interval, row.top};
    ::ClientToScreen(m_pOwner->GetMenuWindow(), &point);
    MONITORINFO monitor{sizeof(MONITORINFO), {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(m_pSubMenu->GetMenuWindow(), MONITOR_DEFAULTTONEAREST), &monitor);
    if (point.x + width > monitor.rcWork.right)
        point.x -= 2 * interval + rowWidth + width; // opens to the left of the list
    menu->m_pCurrentMenu = m_pSubMenu;
    const HWND window = m_pSubMenu->GetMenuWindow();
    ::MoveWindow(window, point.x, point.y, width, height, FALSE);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    m_bSubMenuShown = true;
}

void CMenuElementUI::HideSubMenu()
{
    if (!m_bHasSubMenu || !m_bSubMenuShown || m_pSubMenu == nullptr)
        return;
    // Cleared first: the deeper levels close through the hot rows, and none may come back here.
    m_bSubMenuShown = false;
    if (!m_pSubMenu->m_bMajor)
    {
        if (m_pOwner != nullptr && m_pOwner->m_pOwner != nullptr)
            m_pOwner->m_pOwner->m_pCurrentMenu = m_pSubMenu->m_pParentMenu;
        ::ShowWindow(m_pSubMenu->GetMenuWindow(), SW_HIDE);
    }
    if (m_pSubMenu->m_pHotItem != nullptr)
        m_pSubMenu->m_pHotItem->HideSubMenu();
    m_pSubMenu->m_pHotItem = nullptr;
}
