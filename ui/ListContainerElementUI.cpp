#include "ui/ListContainerElementUI.h"

#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CListContainerElementUI::GetClass() const
{
    return L"ListContainerElementUI";
}

LPVOID CListContainerElementUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"ListItem") == 0)
        return static_cast<IListItemUI*>(this);
    if (std::wcscmp(pstrName, L"ListContainerElement") == 0)
        return this;
    return CContainerUI::GetInterface(pstrName);
}

void CListContainerElementUI::SetOwner(CControlUI* pOwner)
{
    m_pOwner = AsListOwner(pOwner);
}

bool CListContainerElementUI::Select(bool bSelect, bool)
{
    if (m_bSelected == bSelect)
        return true;
    m_bSelected = bSelect;
    Invalidate();
    return true;
}

const TListInfoUI* CListContainerElementUI::ListInfo() const
{
    return m_pOwner ? m_pOwner->GetListInfo() : nullptr;
}

SIZE CListContainerElementUI::EstimateSize(SIZE szAvailable)
{
    SIZE size = CContainerUI::EstimateSize(szAvailable);
    const TListInfoUI* info = ListInfo();
    if (size.cy == 0 && info != nullptr)
        size.cy = info->nItemHeight;
    return size;
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    switch (event.Type)
    {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (IsEnabled() && m_pOwner)
            m_pOwner->SelectItem(m_iIndex, true);
        return;
    case UIEVENT_BUTTONUP:
        // Last: the notification may remove this row.
        if (IsEnabled() && m_pManager && CDuiRect(m_rcItem).Contains(event.ptMouse))
            m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMCLICK);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled() && !m_bHot)
        {
            m_bHot = true;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        // Moving onto one of the row's own controls is not leaving the row.
        if (m_bHot && !CDuiRect(m_rcItem).Contains(event.ptMouse))
        {
            m_bHot = false;
            Invalidate();
        }
        return;
    case UIEVENT_KEYDOWN:
        if (m_pOwner)
        {
            m_pOwner->DoEvent(event);
            return;
        }
        break;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(HDC hDC)
{
    const TListInfoUI* info = ListInfo();
    DWORD color = m_dwBackColor;
    if (info != nullptr)
    {
        if (m_bSelected && info->dwSelectedBkColor != 0)
            color = info->dwSelectedBkColor;
        else if (m_bHot && info->dwHotBkColor != 0)
            color = info->dwHotBkColor;
        else if (color == 0)
            color = info->dwBkColor;
    }
    if (color != 0)
        CRenderEngine::DrawColor(hDC, m_rcItem, color);
    if (info != nullptr && info->dwLineColor != 0)
        CRenderEngine::DrawLine(hDC,
                                RECT{m_rcItem.left, m_rcItem.bottom - 1, m_rcItem.right, m_rcItem.bottom - 1},
                                1, info->dwLineColor);
}

void CListContainerElementUI::PaintStatusImage(HDC hDC)
{
    const TListInfoUI* info = ListInfo();
    if (info == nullptr)
        return;
    if (m_bSelected && !info->sSelectedImage.IsEmpty())
        DrawImage(hDC, info->sSelectedImage);
    else if (m_bHot && !info->sHotImage.IsEmpty())
        DrawImage(hDC, info->sHotImage);
    else if (!info->sBkImage.IsEmpty())
        DrawImage(hDC, info->sBkImage);
}

DWORD CListContainerElementUI::StateTextColor() const
{
    const TListInfoUI* info = ListInfo();
    if (info == nullptr)
        return 0;
    if (!IsEnabled())
        return info->dwDisabledTextColor;
    if (m_bSelected && info->dwSelectedTextColor != 0)
        return info->dwSelectedTextColor;
    if (m_bHot && info->dwHotTextColor != 0)
        return info->dwHotTextColor;
    return info->dwTextColor;
}
} // namespace DuiLib
