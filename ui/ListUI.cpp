#include "ui/ListUI.h"

#include "ui/AttributeParse.h"
#include "ui/PaintManagerUI.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
CListUI::CListUI() : m_pHeader(new CListHeaderUI), m_pList(new CListBodyUI)
{
    CVerticalLayoutUI::AddAt(m_pHeader, 0);
    CVerticalLayoutUI::AddAt(m_pList, 1);
}

LPCTSTR CListUI::GetClass() const
{
    return L"ListUI";
}

LPVOID CListUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"List") == 0)
        return this;
    if (LPVOID owner = ListOwnerInterface(this, pstrName))
        return owner;
    return CVerticalLayoutUI::GetInterface(pstrName);
}

UINT CListUI::GetControlFlags() const
{
    return UIFLAG_TABSTOP;
}

CControlUI* CListUI::GetItemAt(int iIndex) const
{
    return m_pList->GetItemAt(iIndex);
}

int CListUI::GetItemIndex(CControlUI* pControl) const
{
    return m_pList->GetItemIndex(pControl);
}

int CListUI::GetCount() const
{
    return m_pList->GetCount();
}

bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    CControlUI* selected = GetItemAt(m_iCurSel);
    if (!m_pList->SetItemIndex(pControl, iIndex))
        return false;
    // The selection stays on the same row wherever it went.
    if (selected)
        m_iCurSel = m_pList->GetItemIndex(selected);
    return true;
}

bool CListUI::AdoptHeader(CControlUI* pHeader)
{
    // The container's own Remove would reach this list's RemoveAt, which removes rows.
    CControlUI* old = m_pHeader;
    std::erase(m_items, old);
    if (m_pManager)
        m_pManager->ReapObjects(old);
    DestroyChild(old);
    m_pHeader = static_cast<CListHeaderUI*>(pHeader->GetInterface(L"ListHeader"));
    return CVerticalLayoutUI::AddAt(m_pHeader, 0);
}

bool CListUI::Add(CControlUI* pControl)
{
    return AddAt(pControl, GetCount());
}

bool CListUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == nullptr)
        return false;
    if (pControl->GetInterface(L"ListHeader") != nullptr)
        return AdoptHeader(pControl);
    if (!m_pList->AddAt(pControl, iIndex))
        return false;
    if (IListItemUI* item = AsListItem(pControl))
        item->SetOwner(this);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    return true;
}

bool CListUI::Remove(CControlUI* pControl, bool bDoNotDestroy)
{
    const int index = GetItemIndex(pControl);
    return index >= 0 && RemoveAt(index, bDoNotDestroy);
}

bool CListUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    if (!m_pList->RemoveAt(iIndex, bDoNotDestroy))
        return false;
    m_iCurSel = SelectionAfterRemoval(m_iCurSel, iIndex);
    return true;
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    m_pList->RemoveAll();
}

bool CListUI::SelectItem(int iIndex, bool bTakeFocus, bool bTriggerEvent)
{
    if (iIndex == m_iCurSel)
        return true;
    CControlUI* row = GetItemAt(iIndex);
    IListItemUI* item = AsListItem(row);
    if (item == nullptr || !row->IsVisible() || !row->IsEnabled())
        return false;
    const int old = m_iCurSel;
    MoveSelectionFlag(GetItemAt(old), item, bTriggerEvent);
    m_iCurSel = iIndex;
    EnsureVisible(iIndex);
    if (bTakeFocus)
        row->SetFocus();
    if (bTriggerEvent)
        NotifyItemSelect(this, iIndex, old);
    return true;
}

void CListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_pList->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

void CListUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT content = ContentRect(m_rcItem);
    const int header = m_pHeader->IsVisible() ? m_pHeader->EstimateSize(SIZE{}).cy : 0;
    const int split = std::min(content.bottom, content.top + header);
    if (m_pHeader->IsVisible())
        m_pHeader->SetPos(RECT{content.left, content.top, content.right, split}, bNeedInvalidate);
    m_pList->SetPos(RECT{content.left, split, content.right, content.bottom}, bNeedInvalidate);
}

int CListUI::FindSelectable(int iStart, int iStep) const
{
    for (int i = iStart; i >= 0 && i < GetCount(); i += iStep)
    {
        CControlUI* row = GetItemAt(i);
        if (row->IsVisible() && row->IsEnabled() && AsListItem(row) != nullptr)
            return i;
    }
    return -1;
}

int CListUI::PageRows() const
{
    return std::max(1, m_pList->GetLastPlaced() - m_pList->GetFirstPlaced() - 1);
}

void CListUI::MoveSelection(int iIndex, int iStep)
{
    iIndex = std::clamp(iIndex, 0, std::max(0, GetCount() - 1));
    int target = FindSelectable(iIndex, iStep);
    if (target < 0)
        target = FindSelectable(iIndex, -iStep);
    if (target >= 0)
        SelectItem(target, true);
}

void CListUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SCROLLWHEEL && m_pList->GetScrollRange() > 0)
    {
        m_pList->DoEvent(event);
        return;
    }
    if (event.Type == UIEVENT_KEYDOWN && GetCount() > 0)
    {
        switch (event.chKey)
        {
        case VK_UP:
            MoveSelection(m_iCurSel - 1, -1);
            return;
        case VK_DOWN:
            MoveSelection(m_iCurSel + 1, 1);
            return;
        case VK_PRIOR:
            MoveSelection(m_iCurSel - PageRows(), -1);
            return;
        case VK_NEXT:
            MoveSelection(m_iCurSel + PageRows(), 1);
            return;
        case VK_HOME:
            MoveSelection(0, 1);
            return;
        case VK_END:
            MoveSelection(GetCount() - 1, -1);
            return;
        default:
            break;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const CDuiString name(pstrName);
    if (SetListInfoAttribute(m_ListInfo, pstrName, pstrValue))
    {
        if (name == L"itemheight" && m_ListInfo.nItemHeight > 0)
            m_pList->SetDefaultRowHeight(m_ListInfo.nItemHeight);
        Invalidate();
    }
    else if (name == L"header")
        m_pHeader->SetVisible(CDuiString(pstrValue) != L"hidden");
    else if (name == L"vscrollbar")
        EnableScrollBar(ParseBool(pstrValue));
    else if (name == L"vscrollbarstyle")
        m_pList->SetAttribute(pstrName, pstrValue);
    else
        CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
}
} // namespace DuiLib
