#include "main/menu/MenuWnd.h"

#include "main/menu/MenuElementUI.h"
#include "main/menu/MenuUI.h"

using namespace DuiLib;

namespace
{
constexpr LRESULT kNoActivate = 3; // MA_NOACTIVATE
} // namespace

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE:
        m_pm.Init(m_hWnd);
        m_pShadow = new CWndShadow;
        m_pShadow->Create(m_hWnd);
        m_pShadow->SetImage(L"shadow.png", RECT{16, 16, 16, 16}, RECT{0, 0, 0, 0});
        break;
    case WM_CLOSE:
        // The list belongs to the menu tree, not to this window.
        if (CControlUI* root = m_pm.DetachRoot())
            root->SetManager(nullptr, nullptr, false);
        break;
    case WM_MOUSEACTIVATE:
        return kNoActivate;
    case WM_RBUTTONDOWN:
        return 0;
    case WM_KEYDOWN:
        if (m_pMenu != nullptr)
            OnKeyDown(wParam);
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CMenuWnd::OnKeyDown(WPARAM key)
{
    switch (key)
    {
    case VK_RETURN:
        m_pMenu->ActivateHotItem();
        break;
    case VK_LEFT:
        if (!m_pMenu->m_bMajor && m_pMenu->m_pParentMenu != nullptr &&
            m_pMenu->m_pParentMenu->m_pHotItem != nullptr)
            m_pMenu->m_pParentMenu->m_pHotItem->HideSubMenu();
        break;
    case VK_UP:
        m_pMenu->SetHotItem(m_pMenu->PrevItem());
        break;
    case VK_RIGHT:
        m_pMenu->ShowSubMenu(m_pMenu->m_pHotItem);
        if (m_pMenu->m_bSubMenuActive && m_pMenu->m_pActiveSubMenu != nullptr)
            m_pMenu->m_pActiveSubMenu->SetHotItem(m_pMenu->m_pActiveSubMenu->NextItem());
        break;
    case VK_DOWN:
        m_pMenu->SetHotItem(m_pMenu->NextItem());
        break;
    default:
        break;
    }
}

void CMenuWnd::OnFinalMessage(HWND hWnd)
{
    delete m_pShadow;
    m_pShadow = nullptr;
    delete this;
}
