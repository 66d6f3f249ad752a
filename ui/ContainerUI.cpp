#include "ui/ContainerUI.h"

#include "ui/AttributeParse.h"
#include "ui/PaintManagerUI.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
CContainerUI::~CContainerUI()
{
    // Children go first while this container is still whole.
    std::vector<CControlUI*> items;
    items.swap(m_items);
    if (m_bAutoDestroy)
    {
        for (CControlUI* item : items)
            delete item;
    }
}

LPCTSTR CContainerUI::GetClass() const
{
    return L"ContainerUI";
}

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"IContainer") == 0 || std::wcscmp(pstrName, L"Container") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= GetCount())
        return nullptr;
    return m_items[static_cast<std::size_t>(iIndex)];
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    const auto found = std::find(m_items.begin(), m_items.end(), pControl);
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int current = GetItemIndex(pControl);
    if (current < 0 || iIndex < 0 || iIndex >= GetCount())
        return false;
    m_items.erase(m_items.begin() + current);
    m_items.insert(m_items.begin() + iIndex, pControl);
    NeedUpdate();
    return true;
}

bool CContainerUI::Add(CControlUI* pControl)
{
    return AddAt(pControl, GetCount());
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == nullptr || iIndex < 0 || iIndex > GetCount() || GetItemIndex(pControl) >= 0)
        return false;
    m_items.insert(m_items.begin() + iIndex, pControl);
    if (m_pManager)
        m_pManager->InitControls(pControl, this);
    else
        pControl->SetManager(nullptr, this, false);
    pControl->SetInternVisible(IsVisible());
    NeedUpdate();
    return true;
}

void CContainerUI::DestroyChild(CControlUI* pControl)
{
    if (!m_bAutoDestroy)
        return;
    // A control often removes itself (or its row) from its own notification: it must
    // outlive the event that is still running on it.
    if (m_bDelayedDestroy && m_pManager)
        m_pManager->AddDelayedCleanup(pControl);
    else
        delete pControl;
}

bool CContainerUI::Remove(CControlUI* pControl, bool bDoNotDestroy)
{
    const int index = GetItemIndex(pControl);
    if (index < 0)
        return false;
    return RemoveAt(index, bDoNotDestroy);
}

bool CContainerUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    CControlUI* control = GetItemAt(iIndex);
    if (control == nullptr)
        return false;
    m_items.erase(m_items.begin() + iIndex);
    if (m_pManager)
        m_pManager->ReapObjects(control);
    NeedUpdate();
    if (!bDoNotDestroy)
        DestroyChild(control);
    return true;
}

void CContainerUI::RemoveAll()
{
    while (!m_items.empty())
        RemoveAt(GetCount() - 1);
}

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    NeedUpdate();
}

void CContainerUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_bVScrollRequested = bEnableVertical;
    m_bHScrollRequested = bEnableHorizontal;
    NeedUpdate();
}

void CContainerUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    for (CControlUI* item : m_items)
        item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    for (CControlUI* item : m_items)
        item->SetInternVisible(IsVisible());
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    for (CControlUI* item : m_items)
        item->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    const bool hitTest = (uFlags & UIFIND_HITTEST) != 0;
    if (hitTest && !CDuiRect(m_rcItem).Contains(*static_cast<LPPOINT>(pData)))
        return nullptr;
    if (uFlags & UIFIND_ME_FIRST)
    {
        if (CControlUI* found = Proc(this, pData))
            return found;
    }
    if (!hitTest || m_bMouseChildEnabled)
    {
        const int count = GetCount();
        for (int i = 0; i < count; ++i)
        {
            const int index = (uFlags & UIFIND_TOP_FIRST) ? count - 1 - i : i;
            if (CControlUI* found =
                    m_items[static_cast<std::size_t>(index)]->FindControl(Proc, pData, uFlags))
                return found;
        }
    }
    if (uFlags & UIFIND_ME_FIRST)
        return nullptr;
    if (hitTest && !m_bMouseEnabled)
        return nullptr;
    return Proc(this, pData);
}

CControlUI* CContainerUI::FindSubControl(LPCTSTR pstrSubControlName)
{
    return m_pManager ? m_pManager->FindSubControlByName(this, pstrSubControlName) : nullptr;
}

RECT CContainerUI::ContentRect(RECT rc) const
{
    CDuiRect content(rc);
    content.Deflate(m_rcInset);
    content.Normalize();
    return content;
}

void CContainerUI::SetFloatPos(int iIndex)
{
    CControlUI* control = GetItemAt(iIndex);
    if (control == nullptr)
        return;
    const SIZE xy = control->GetFixedXY();
    const int left = m_rcItem.left + xy.cx;
    const int top = m_rcItem.top + xy.cy;
    control->SetPos(RECT{left, top, left + control->GetFixedWidth(), top + control->GetFixedHeight()});
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT content = ContentRect(rc);
    for (int i = 0; i < GetCount(); ++i)
    {
        CControlUI* item = m_items[static_cast<std::size_t>(i)];
        if (!item->IsVisible())
            continue;
        if (item->IsFloat())
        {
            SetFloatPos(i);
            continue;
        }
        CDuiRect area(content);
        area.Deflate(item->GetPadding());
        area.Normalize();
        item->SetPos(area, bNeedInvalidate);
    }
}

namespace
{
// The main-axis and cross-axis accessors of one layout direction.
struct Axis
{
    bool vertical;
    LONG Main(const SIZE& s) const { return vertical ? s.cy : s.cx; }
    LONG Cross(const SIZE& s) const { return vertical ? s.cx : s.cy; }
    LONG Before(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG After(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossBefore(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossAfter(const RECT& r) const { return vertical ? r.right : r.bottom; }
    int MinMain(const CControlUI& c) const { return vertical ? c.GetMinHeight() : c.GetMinWidth(); }
    int MaxMain(const CControlUI& c) const { return vertical ? c.GetMaxHeight() : c.GetMaxWidth(); }
    int FixedCross(const CControlUI& c) const { return vertical ? c.GetFixedWidth() : c.GetFixedHeight(); }
    int MinCross(const CControlUI& c) const { return vertical ? c.GetMinWidth() : c.GetMinHeight(); }
    int MaxCross(const CControlUI& c) const { return vertical ? c.GetMaxWidth() : c.GetMaxHeight(); }
    RECT Make(LONG mainStart, LONG mainEnd, LONG crossStart, LONG crossEnd) const
    {
        return vertical ? RECT{crossStart, mainStart, crossEnd, mainEnd}
                        : RECT{mainStart, crossStart, mainEnd, crossEnd};
    }
};

int Clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, std::max(low, high)));
}
} // namespace

void CContainerUI::LayoutLinear(RECT rc, bool bVertical)
{
    CControlUI::SetPos(rc, true);
    const Axis axis{bVertical};
    const RECT content = ContentRect(rc);
    const SIZE available{content.right - content.left, content.bottom - content.top};

    std::vector<int> wanted(m_items.size(), 0);
    int fixedTotal = 0;
    int stretchCount = 0;
    int shown = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i)
    {
        CControlUI* item = m_items[i];
        if (!item->IsVisible() || item->IsFloat())
            continue;
        const RECT padding = item->GetPadding();
        const int size = axis.Main(item->EstimateSize(available));
        wanted[i] = size == 0 ? 0 : Clamp(size, axis.MinMain(*item), axis.MaxMain(*item));
        stretchCount += size == 0 ? 1 : 0;
        fixedTotal += wanted[i] + axis.Before(padding) + axis.After(padding);
        ++shown;
    }
    fixedTotal += std::max(0, shown - 1) * m_iChildPadding;
    const int spare = std::max(0, static_cast<int>(axis.Main(available)) - fixedTotal);
    const int share = stretchCount > 0 ? spare / stretchCount : 0;

    int position = axis.Before(content);
    int stretchSeen = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i)
    {
        CControlUI* item = m_items[i];
        if (!item->IsVisible())
            continue;
        if (item->IsFloat())
        {
            SetFloatPos(static_cast<int>(i));
            continue;
        }
        const RECT padding = item->GetPadding();
        int size = wanted[i];
        if (size == 0)
        {
            ++stretchSeen;
            size = stretchSeen == stretchCount ? spare - share * (stretchCount - 1) : share;
            size = Clamp(size, axis.MinMain(*item), axis.MaxMain(*item));
        }
        int cross = axis.FixedCross(*item);
        const int crossRoom = axis.Cross(available) - axis.CrossBefore(padding) - axis.CrossAfter(padding);
        if (cross == 0)
            cross = crossRoom;
        cross = Clamp(cross, axis.MinCross(*item), axis.MaxCross(*item));
        const int start = position + axis.Before(padding);
        const int crossStart = axis.CrossBefore(content) + axis.CrossBefore(padding);
        item->SetPos(axis.Make(start, start + size, crossStart, crossStart + cross));
        position = start + size + axis.After(padding) + m_iChildPadding;
    }
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!BeginClip(hDC, rcPaint))
        return;
    PaintLayers(hDC);
    const RECT paintArea = m_rcPaint;
    for (CControlUI* item : m_items)
    {
        if (!item->IsVisible())
            continue;
        CDuiRect area(paintArea);
        if (area.Intersect(item->GetPos()))
            item->DoPaint(hDC, paintArea);
    }
    EndClip(hDC);
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const CDuiString name(pstrName);
    if (name == L"inset")
        SetInset(ParseRect(pstrValue));
    else if (name == L"childpadding")
        SetChildPadding(ParseInt(pstrValue));
    else if (name == L"mousechild")
        SetMouseChildEnabled(ParseBool(pstrValue));
    else if (name == L"vscrollbar")
        EnableScrollBar(ParseBool(pstrValue), m_bHScrollRequested);
    else if (name == L"hscrollbar")
        EnableScrollBar(m_bVScrollRequested, ParseBool(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}
} // namespace DuiLib
