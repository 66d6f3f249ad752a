#pragma once
// The scrolling column of a list's rows. Row positions are measured once per change of the
// rows (a running sum of their heights) and kept; scrolling and painting then touch only the
// rows that meet the visible area, so a list of many thousands of rows stays cheap.

#include "ui/ScrollBarUI.h"
#include "ui/VerticalLayoutUI.h"

#include <vector>

namespace DuiLib
{
class CListBodyUI : public CVerticalLayoutUI
{
public:
    CListBodyUI();
    ~CListBodyUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // Fast versions of the container's: a list item knows its own index.
    int GetItemIndex(CControlUI* pControl) const;
    bool SetItemIndex(CControlUI* pControl, int iIndex);
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    CScrollBarUI* GetVerticalScrollBar() const { return m_pVScroll; }
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    int GetScrollPos() const { return m_pVScroll->GetScrollPos(); }
    int GetScrollRange() const { return m_pVScroll->GetScrollRange(); }
    void SetScrollPos(int nPos);
    // Scrolls the least that brings the row wholly into view.
    void EnsureVisible(int iIndex);
    // The height of rows whose own size is not set.
    void SetDefaultRowHeight(int cy);
    // The rows laid out by the last layout or scroll: [first, last).
    int GetFirstPlaced() const { return m_nFirst; }
    int GetLastPlaced() const { return m_nLast; }

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    void Reindex(int iFrom, int iTo);
    int RowHeight(CControlUI* pRow, SIZE szAvailable) const;
    void MeasureRows(int width);
    void MeasureIfNeeded();
    // Positions the bar and the rows in view; rows that left the view are parked.
    void PlaceRows(bool bNeedInvalidate);
    RECT RowArea() const;
    void Park(const std::vector<CControlUI*>& placedBefore);

    CScrollBarUI* m_pVScroll = nullptr;
    bool m_bScrollEnabled = true;
    bool m_bMeasureNeeded = true;
    bool m_bPlacing = false;
    int m_nMeasuredWidth = -1;
    int m_nDefaultRowHeight = 30;
    std::vector<int> m_rowTop;    // offset of each row box from the content's top
    std::vector<int> m_rowBottom; // non-decreasing, so the first visible row is a binary search
    int m_nTotalHeight = 0;
    RECT m_rcContent{};
    int m_nFirst = 0;
    int m_nLast = 0;
    std::vector<CControlUI*> m_placed;
};
} // namespace DuiLib
