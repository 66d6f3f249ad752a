#include "ui/ComboWnd.h"

#include "ui/ComboUI.h"

#include "platform/Input.h"

#include <algorithm>

namespace DuiLib
{
namespace
{
constexpr DWORD kPopupBkColor = 0xFFFFFFFF;
constexpr DWORD kPopupBorderColor = 0xFFC6C6C6;
} // namespace

CComboWnd* CComboWnd::Open(CComboUI* pOwner)
{
    CPaintManagerUI* home = pOwner->GetManager();
    if (home == nullptr || home->GetPaintWindow() == nullptr)
        return nullptr;
    auto* window = new CComboWnd(pOwner);
    if (window->Create(home->GetPaintWindow(), L"", WS_POPUP, WS_EX_TOOLWINDOW, window->PopupRect()) ==
        nullptr)
    {
        delete window;
        return nullptr;
    }
    window->ShowWindow(true, false);
    return window;
}

void CComboWnd::Destroy()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

LPCTSTR CComboWnd::GetWindowClassName() const
{
    return L"ComboWnd";
}

RECT CComboWnd::PopupRect() const
{
    const RECT combo = m_pOwner->GetPos();
    POINT origin{combo.left, combo.bottom};
    ::ClientToScreen(m_pOwner->GetManager()->GetPaintWindow(), &origin);
    const SIZE box = m_pOwner->GetDropBoxSize();
    const int width = box.cx > 0 ? box.cx : combo.right - combo.left;
    // As tall as the items need, up to the drop box height.
    int height = 2;
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
    {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (!item->IsVisible())
            continue;
        const int cy = item->EstimateSize(SIZE{width, 0}).cy;
        height += cy > 0 ? cy : 30;
    }
    if (box.cy > 0)
        height = std::min(height, static_cast<int>(box.cy));
    return RECT{origin.x, origin.y, origin.x + width, origin.y + height};
}

void CComboWnd::OnCreate()
{
    m_pm.Init(m_hWnd);
    m_pLayout = new CListBodyUI;
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->SetBkColor(kPopupBkColor);
    m_pLayout->SetBorderColor(kPopupBorderColor);
    m_pLayout->SetBorderSize(1);
    m_pLayout->SetInset(RECT{1, 1, 1, 1});
    m_pm.AttachDialog(m_pLayout);
    for (int i = 0; i < m_pOwner->GetCount(); ++i)
        m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pLayout->EnsureVisible(m_pOwner->GetCurSel());
}

void CComboWnd::GiveItemsBack()
{
    CPaintManagerUI* home = m_pOwner->GetManager();
    while (m_pLayout && m_pLayout->GetCount() > 0)
    {
        const int last = m_pLayout->GetCount() - 1;
        CControlUI* item = m_pLayout->GetItemAt(last);
        m_pLayout->RemoveAt(last, true);
        // The item forgets the popup's pointer: it is not hot in the combo.
        TEventUI leave;
        leave.Type = UIEVENT_MOUSELEAVE;
        leave.pSender = item;
        leave.ptMouse = POINT{-1, -1};
        item->Event(leave);
        item->SetManager(home, m_pOwner, false);
    }
    m_pOwner->OnDropClosed();
    m_pOwner->Invalidate();
}

bool CComboWnd::OnKeyDown(WPARAM wParam)
{
    switch (wParam)
    {
    case VK_UP:
    case VK_DOWN:
        m_pOwner->SelectItem(m_pOwner->GetCurSel() + (wParam == VK_UP ? -1 : 1));
        m_pLayout->EnsureVisible(m_pOwner->GetCurSel());
        return true;
    case VK_RETURN:
    case VK_ESCAPE:
        Close();
        return true;
    default:
        return false;
    }
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_DESTROY:
        GiveItemsBack();
        break;
    case WM_KILLFOCUS:
        Close();
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            Close();
        break;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam))
            return 0;
        break;
    default:
        break;
    }
    LRESULT lRes = 0;
    const bool handled = m_pm.MessageHandler(uMsg, wParam, lParam, lRes);
    // A click on an item chose it (the item told the combo on the press): the popup is done.
    if (uMsg == WM_LBUTTONUP && AsListItem(m_pm.FindControl(CDuiPoint(lParam))) != nullptr)
        Close();
    if (handled)
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND)
{
    delete this;
}
} // namespace DuiLib
