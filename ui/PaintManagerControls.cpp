// The control tree. A control that goes away while one of its own events runs (a button that
// closes its page) must not be deleted on the spot: AddDelayedCleanup forgets every reference
// the manager holds to it at once (ReapObjects) and deletes it after the current message.

#include "ui/PaintManagerParts.h"

#include "ui/ToolTipWnd.h"

namespace DuiLib
{
namespace
{
// True when control is gone or lies inside the subtree of gone.
bool IsInside(const CControlUI* control, const CControlUI* gone)
{
    for (const CControlUI* c = control; c != nullptr; c = c->GetParent())
    {
        if (c == gone)
            return true;
    }
    return false;
}

CControlUI* FindByName(CControlUI* control, LPVOID data)
{
    return control->GetName() == static_cast<LPCTSTR>(data) ? control : nullptr;
}

CControlUI* FindByPoint(CControlUI* control, LPVOID)
{
    return control;
}
} // namespace

bool CPaintManagerUI::AttachDialog(CControlUI* pControl)
{
    SetFocus(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    // We may be inside an event of the old tree: it goes once the current message is done.
    if (m_pRoot)
        AddDelayedCleanup(m_pRoot);
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    Invalidate();
    return InitControls(pControl);
}

CControlUI* CPaintManagerUI::DetachRoot()
{
    SetFocus(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    return root;
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent)
{
    if (pControl == nullptr)
        return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl)
{
    if (pControl == nullptr)
        return;
    if (m_pToolTip && IsInside(m_pToolTip->GetControl(), pControl))
        HideToolTip();
    if (IsInside(m_pEventHover, pControl))
        m_pEventHover = nullptr;
    std::erase_if(m_mouseLeaveNeeded, [&](const CControlUI* control) { return IsInside(control, pControl); });
    if (IsInside(m_pEventClick, pControl))
        m_pEventClick = nullptr;
    if (IsInside(m_pFocus, pControl))
        m_pFocus = nullptr;
    if (m_pRoot == pControl)
        m_pRoot = nullptr;
    for (auto it = m_timers.begin(); it != m_timers.end();)
    {
        if (!IsInside((*it)->pSender, pControl))
        {
            ++it;
            continue;
        }
        if (m_hWndPaint)
            ::KillTimer(m_hWndPaint, (*it)->uWinTimer);
        it = m_timers.erase(it);
    }
    std::erase_if(m_asyncNotify, [&](const TNotifyUI& msg) { return IsInside(msg.pSender, pControl); });
    for (auto& [name, group] : m_optionGroups)
        std::erase_if(group, [&](CControlUI* option) { return IsInside(option, pControl); });
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == nullptr)
        return;
    ReapObjects(pControl);
    if (m_hWndPaint == nullptr || !::IsWindow(m_hWndPaint))
    {
        delete pControl;
        return;
    }
    m_delayedCleanup.push_back(pControl);
    if (!m_bFlushPosted)
        m_bFlushPosted = ::PostMessageW(m_hWndPaint, kPaintManagerFlush, 0, 0) != FALSE;
}

void CPaintManagerUI::FlushDelayedCleanup()
{
    std::vector<CControlUI*> pending;
    pending.swap(m_delayedCleanup);
    for (CControlUI* control : pending)
        delete control;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    return FindSubControlByPoint(m_pRoot, pt);
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const
{
    return FindSubControlByName(m_pRoot, pstrName);
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const
{
    if (pParent == nullptr)
        return nullptr;
    return pParent->FindControl(&FindByPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const
{
    if (pParent == nullptr || pstrName == nullptr)
        return nullptr;
    return pParent->FindControl(&FindByName, const_cast<LPTSTR>(pstrName), UIFIND_ALL);
}

bool CPaintManagerUI::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    return AddUnique(m_optionGroups[pStrGroupName], pControl);
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(LPCTSTR pStrGroupName)
{
    const auto found = m_optionGroups.find(pStrGroupName);
    return found == m_optionGroups.end() ? nullptr : &found->second;
}

void CPaintManagerUI::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    const auto found = m_optionGroups.find(pStrGroupName);
    if (found == m_optionGroups.end())
        return;
    RemoveItem(found->second, pControl);
    if (found->second.empty())
        m_optionGroups.erase(found);
}
} // namespace DuiLib
