#include "ui/ListBodyUI.h"

#include "ui/AttributeParse.h"
#include "ui/ListInfo.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
namespace
{
// Lines scrolled per wheel notch, as the desktop does.
constexpr int kWheelLines = 3;
} // namespace

CListBodyUI::CListBodyUI() : m_pVScroll(new CScrollBarUI)
{
    m_pVScroll->SetOwner(this, [this](int) {
        if (m_bPlacing)
            return;
        PlaceRows(false);
        Invalidate();
    });
}

CListBodyUI::~CListBodyUI()
{
    delete m_pVScroll;
}

LPCTSTR CListBodyUI::GetClass() const
{
    return L"ListBodyUI";
}

LPVOID CListBodyUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"ListBody") == 0)
        return this;
    return CVerticalLayoutUI::GetInterface(pstrName);
}

int CListBodyUI::GetItemIndex(CControlUI* pControl) const
{
    if (IListItemUI* item = AsListItem(pControl))
    {
        const int index = item->GetIndex();
        if (index >= 0 && index < GetCount() && m_items[static_cast<std::size_t>(index)] == pControl)
            return index;
    }
    return CVerticalLayoutUI::GetItemIndex(pControl);
}

bool CListBodyUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int current = GetItemIndex(pControl);
    if (current < 0 || iIndex < 0 || iIndex >= GetCount())
        return false;
    if (current == iIndex)
        return true;
    const auto from = m_items.begin() + current;
    const auto to = m_items.begin() + iIndex;
    if (current < iIndex)
        std::rotate(from, from + 1, to + 1);
    else
        std::rotate(to, from, from + 1);
    Reindex(std::min(current, iIndex), std::max(current, iIndex) + 1);
    m_bMeasureNeeded = true;
    NeedUpdate();
    return true;
}

bool CListBodyUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CVerticalLayoutUI::AddAt(pControl, iIndex))
        return false;
    Reindex(iIndex, GetCount());
    m_bMeasureNeeded = true;
    return true;
}

bool CListBodyUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    CControlUI* control = GetItemAt(iIndex);
    if (control == nullptr)
        return false;
    std::erase(m_placed, control);
    CVerticalLayoutUI::RemoveAt(iIndex, bDoNotDestroy);
    Reindex(iIndex, GetCount());
    m_bMeasureNeeded = true;
    return true;
}

void CListBodyUI::RemoveAll()
{
    m_placed.clear();
    CVerticalLayoutUI::RemoveAll();
    m_bMeasureNeeded = true;
    m_pVScroll->SetScrollRange(0);
}

void CListBodyUI::Reindex(int iFrom, int iTo)
{
    iTo = std::min(iTo, GetCount());
    for (int i = std::max(0, iFrom); i < iTo; ++i)
    {
        if (IListItemUI* item = AsListItem(m_items[static_cast<std::size_t>(i)]))
            item->SetIndex(i);
    }
}

void CListBodyUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_bScrollEnabled = bEnableVertical;
    m_bMeasureNeeded = true;
    CVerticalLayoutUI::EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

void CListBodyUI::SetScrollPos(int nPos)
{
    MeasureIfNeeded();
    m_pVScroll->SetScrollPos(nPos);
}

void CListBodyUI::EnsureVisible(int iIndex)
{
    MeasureIfNeeded();
    if (iIndex < 0 || iIndex >= static_cast<int>(m_rowTop.size()))
        return;
    const int view = m_rcContent.bottom - m_rcContent.top;
    const int pos = GetScrollPos();
    const int top = m_rowTop[static_cast<std::size_t>(iIndex)];
    const int bottom = m_rowBottom[static_cast<std::size_t>(iIndex)];
    if (top < pos)
        SetScrollPos(top);
    else if (bottom > pos + view)
        SetScrollPos(bottom - view);
}

void CListBodyUI::SetDefaultRowHeight(int cy)
{
    m_nDefaultRowHeight = std::max(1, cy);
    m_bMeasureNeeded = true;
    NeedUpdate();
}

void CListBodyUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    CVerticalLayoutUI::SetManager(pManager, pParent, bInit);
    m_pVScroll->SetManager(pManager, this, bInit);
}

int CListBodyUI::RowHeight(CControlUI* pRow, SIZE szAvailable) const
{
    int height = pRow->EstimateSize(szAvailable).cy;
    if (height <= 0)
        height = m_nDefaultRowHeight;
    return std::clamp(height, pRow->GetMinHeight(), std::max(pRow->GetMinHeight(), pRow->GetMaxHeight()));
}

void CListBodyUI::MeasureRows(int width)
{
    const std::size_t count = m_items.size();
    m_rowTop.assign(count, 0);
    m_rowBottom.assign(count, 0);
    int y = 0;
    bool first = true;
    for (std::size_t i = 0; i < count; ++i)
    {
        CControlUI* row = m_items[i];
        if (!row->IsVisible())
        {
            m_rowTop[i] = m_rowBottom[i] = y;
            continue;
        }
        if (!first)
            y += m_iChildPadding;
        first = false;
        const RECT padding = row->GetPadding();
        const SIZE available{width - padding.left - padding.right, 0};
        m_rowTop[i] = y + padding.top;
        m_rowBottom[i] = m_rowTop[i] + RowHeight(row, available);
        y = m_rowBottom[i] + padding.bottom;
    }
    m_nTotalHeight = y;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (m_rowBottom[i] > m_rowTop[i])
        {
            m_pVScroll->SetLineSize(m_rowBottom[i] - m_rowTop[i]);
            break;
        }
    }
}

void CListBodyUI::MeasureIfNeeded()
{
    if (m_bMeasureNeeded || IsUpdateNeeded())
        SetPos(m_rcItem, false);
}

void CListBodyUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    const bool changed = m_bMeasureNeeded || IsUpdateNeeded();
    CControlUI::SetPos(rc, bNeedInvalidate);
    m_rcContent = ContentRect(m_rcItem);
    const int width = m_rcContent.right - m_rcContent.left;
    if (changed || width != m_nMeasuredWidth)
    {
        MeasureRows(width);
        const int bar = m_bScrollEnabled ? m_pVScroll->GetThickness() : 0;
        if (bar > 0 && m_nTotalHeight > m_rcContent.bottom - m_rcContent.top)
            MeasureRows(width - bar);
        m_nMeasuredWidth = width;
        m_bMeasureNeeded = false;
    }
    PlaceRows(bNeedInvalidate);
}

RECT CListBodyUI::RowArea() const
{
    RECT area = m_rcContent;
    if (m_bScrollEnabled && GetScrollRange() > 0)
        area.right = std::max(area.left, area.right - m_pVScroll->GetThickness());
    return area;
}

void CListBodyUI::PlaceRows(bool bNeedInvalidate)
{
    const int view = m_rcContent.bottom - m_rcContent.top;
    // The bar may clamp its position here; its callback must not place the rows again.
    m_bPlacing = true;
    m_pVScroll->SetScrollRange(m_bScrollEnabled ? std::max(0, m_nTotalHeight - view) : 0);
    m_bPlacing = false;
    const RECT area = RowArea();
    if (GetScrollRange() > 0)
        m_pVScroll->SetPos(RECT{area.right, m_rcContent.top, m_rcContent.right, m_rcContent.bottom},
                           bNeedInvalidate);

    const int pos = GetScrollPos();
    std::vector<CControlUI*> placedBefore;
    placedBefore.swap(m_placed);
    const int count = std::min(GetCount(), static_cast<int>(m_rowBottom.size()));
    int i = static_cast<int>(std::upper_bound(m_rowBottom.begin(), m_rowBottom.begin() + count, pos) -
                             m_rowBottom.begin());
    m_nFirst = i;
    for (; i < count && m_rowTop[static_cast<std::size_t>(i)] < pos + view; ++i)
    {
        CControlUI* row = m_items[static_cast<std::size_t>(i)];
        if (!row->IsVisible())
            continue;
        const RECT padding = row->GetPadding();
        const int top = area.top + m_rowTop[static_cast<std::size_t>(i)] - pos;
        const int bottom = area.top + m_rowBottom[static_cast<std::size_t>(i)] - pos;
        row->SetPos(RECT{area.left + padding.left, top, area.right - padding.right, bottom}, bNeedInvalidate);
        m_placed.push_back(row);
    }
    m_nLast = i;
    Park(placedBefore);
}

void CListBodyUI::Park(const std::vector<CControlUI*>& placedBefore)
{
    // A row out of view keeps no stale place that could be hit or painted.
    for (CControlUI* row : placedBefore)
    {
        if (std::find(m_placed.begin(), m_placed.end(), row) == m_placed.end())
            row->SetPos(RECT{}, false);
    }
}

void CListBodyUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!BeginClip(hDC, rcPaint))
        return;
    PaintLayers(hDC);
    const RECT paintArea = m_rcPaint;
    CDuiRect rows(paintArea);
    if (rows.Intersect(RowArea()))
    {
        for (CControlUI* row : m_placed)
        {
            CDuiRect area(rows);
            if (row->IsVisible() && area.Intersect(row->GetPos()))
                row->DoPaint(hDC, rows);
        }
    }
    if (GetScrollRange() > 0)
        m_pVScroll->DoPaint(hDC, paintArea);
    EndClip(hDC);
}

CControlUI* CListBodyUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    // Searches by name or for tab stops see every row; hit tests only the rows in view.
    if (!(uFlags & UIFIND_HITTEST))
        return CVerticalLayoutUI::FindControl(Proc, pData, uFlags);
    if ((uFlags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    const POINT pt = *static_cast<LPPOINT>(pData);
    if (!CDuiRect(m_rcItem).Contains(pt))
        return nullptr;
    if (GetScrollRange() > 0 && CDuiRect(m_pVScroll->GetPos()).Contains(pt))
        return m_pVScroll->FindControl(Proc, pData, uFlags);
    if (m_bMouseChildEnabled && CDuiRect(RowArea()).Contains(pt))
    {
        for (CControlUI* row : m_placed)
        {
            if (CControlUI* found = row->FindControl(Proc, pData, uFlags))
                return found;
        }
    }
    return m_bMouseEnabled ? Proc(this, pData) : nullptr;
}

void CListBodyUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SCROLLWHEEL && GetScrollRange() > 0)
    {
        const int delta = GET_WHEEL_DELTA_WPARAM(event.wParam);
        const int lines = kWheelLines * std::max(1, std::abs(delta) / WHEEL_DELTA);
        const int step = lines * m_pVScroll->GetLineSize();
        SetScrollPos(GetScrollPos() + (delta > 0 ? -step : step));
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListBodyUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const CDuiString name(pstrName);
    if (name == L"vscrollbarstyle")
        m_pVScroll->ApplyAttributeList(pstrValue);
    else
        CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
}
} // namespace DuiLib
