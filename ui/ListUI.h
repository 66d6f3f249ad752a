#pragma once
// A vertical list: an optional header above a scrolling body of rows. Rows are list items
// (container or text rows); the list keeps the one selected row, moves it with the keyboard,
// and reports "itemselect" (wParam the new index, lParam the old one).

#include "ui/ListBodyUI.h"
#include "ui/ListHeaderUI.h"
#include "ui/ListInfo.h"
#include "ui/VerticalLayoutUI.h"

namespace DuiLib
{
class CListUI : public CVerticalLayoutUI, public IListOwnerUI
{
public:
    CListUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    CListHeaderUI* GetHeader() const { return m_pHeader; }
    CListBodyUI* GetList() const { return m_pList; }

    // The rows (the header is not one of them).
    CControlUI* GetItemAt(int iIndex) const;
    int GetItemIndex(CControlUI* pControl) const;
    bool SetItemIndex(CControlUI* pControl, int iIndex);
    int GetCount() const;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) override;
    void EnsureVisible(int iIndex) { m_pList->EnsureVisible(iIndex); }

    CScrollBarUI* GetVerticalScrollBar() const { return m_pList->GetVerticalScrollBar(); }
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    int GetScrollPos() const { return m_pList->GetScrollPos(); }
    int GetScrollRange() const { return m_pList->GetScrollRange(); }
    void SetScrollPos(int nPos) { m_pList->SetScrollPos(nPos); }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    bool AdoptHeader(CControlUI* pHeader);
    // The nearest selectable row from iStart in direction iStep (+1 or -1), or -1.
    int FindSelectable(int iStart, int iStep) const;
    int PageRows() const;
    void MoveSelection(int iIndex, int iStep);

    CListHeaderUI* m_pHeader = nullptr;
    CListBodyUI* m_pList = nullptr;
    int m_iCurSel = -1;
    TListInfoUI m_ListInfo;
};
} // namespace DuiLib
