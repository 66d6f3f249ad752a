#include "ui/TabLayoutUI.h"

#include "ui/AttributeParse.h"
#include "ui/PaintManagerUI.h"

#include <cwchar>

namespace DuiLib
{
LPCTSTR CTabLayoutUI::GetClass() const
{
    return L"TabLayoutUI";
}

LPVOID CTabLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"TabLayout") == 0)
        return this;
    return CContainerUI::GetInterface(pstrName);
}

bool CTabLayoutUI::Add(CControlUI* pControl)
{
    return AddAt(pControl, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (m_iCurSel < 0)
        m_iCurSel = iIndex;
    else if (iIndex <= m_iCurSel)
        ++m_iCurSel;
    ShowOnly(m_iCurSel);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* pControl, bool bDoNotDestroy)
{
    const int index = GetItemIndex(pControl);
    return index >= 0 && RemoveAt(index, bDoNotDestroy);
}

bool CTabLayoutUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    if (!CContainerUI::RemoveAt(iIndex, bDoNotDestroy))
        return false;
    if (GetCount() == 0)
        m_iCurSel = -1;
    else if (iIndex < m_iCurSel || m_iCurSel >= GetCount())
        --m_iCurSel;
    ShowOnly(m_iCurSel);
    return true;
}

void CTabLayoutUI::RemoveAll()
{
    CContainerUI::RemoveAll();
    m_iCurSel = -1;
}

void CTabLayoutUI::ShowOnly(int iIndex)
{
    for (int i = 0; i < GetCount(); ++i)
        GetItemAt(i)->SetVisible(i == iIndex);
}

bool CTabLayoutUI::SelectItem(int iIndex)
{
    if (iIndex < 0 || iIndex >= GetCount())
        return false;
    if (iIndex == m_iCurSel)
        return true;
    const int old = m_iCurSel;
    m_iCurSel = iIndex;
    ShowOnly(iIndex);
    NeedParentUpdate();
    if (m_pManager)
    {
        m_pManager->SendNotify(this, DUI_MSGTYPE_TABSELECT, static_cast<WPARAM>(m_iCurSel),
                               static_cast<LPARAM>(old));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* pControl)
{
    return SelectItem(GetItemIndex(pControl));
}

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const RECT content = ContentRect(rc);
    CControlUI* page = GetItemAt(m_iCurSel);
    if (page == nullptr)
        return;
    CDuiRect area(content);
    area.Deflate(page->GetPadding());
    area.Normalize();
    page->SetPos(area, bNeedInvalidate);
}

void CTabLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"selectedid") == 0)
        SelectItem(ParseInt(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}
} // namespace DuiLib
