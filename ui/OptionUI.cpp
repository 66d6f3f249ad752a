#include "ui/OptionUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include <cwchar>

namespace DuiLib
{
COptionUI::~COptionUI()
{
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

LPCTSTR COptionUI::GetClass() const
{
    return L"OptionUI";
}

LPVOID COptionUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Option") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    if (m_pManager && m_pManager != pManager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    CButtonUI::SetManager(pManager, pParent, bInit);
    if (bInit && m_pManager && !m_sGroupName.IsEmpty())
    {
        m_pManager->AddOptionGroup(m_sGroupName, this);
        if (m_bSelected)
            UnselectOthers(false);
    }
}

void COptionUI::SetGroup(LPCTSTR pStrGroupName)
{
    const CDuiString group(pStrGroupName);
    if (group == m_sGroupName)
        return;
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = group;
    if (m_pManager && !m_sGroupName.IsEmpty())
        m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected, false);
}

void COptionUI::UnselectOthers(bool bTriggerEvent)
{
    const std::vector<CControlUI*>* group = m_pManager->GetOptionGroup(m_sGroupName);
    if (group == nullptr)
        return;
    const std::vector<CControlUI*> members = *group;
    for (CControlUI* member : members)
    {
        if (member != this)
            static_cast<COptionUI*>(member)->Selected(false, bTriggerEvent);
    }
}

void COptionUI::Selected(bool bSelected, bool bTriggerEvent)
{
    const bool changed = m_bSelected != bSelected;
    m_bSelected = bSelected;
    m_uButtonState = bSelected ? (m_uButtonState | UISTATE_SELECTED) : (m_uButtonState & ~UISTATE_SELECTED);
    Invalidate();
    if (!changed || m_pManager == nullptr)
        return;
    const bool grouped = !m_sGroupName.IsEmpty();
    if (grouped && bSelected)
        UnselectOthers(bTriggerEvent);
    // In a group only the option that became selected speaks.
    if (bTriggerEvent && (!grouped || bSelected))
        m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    Selected(m_sGroupName.IsEmpty() ? !m_bSelected : true);
    return true;
}

void COptionUI::SetSelectedImage(LPCTSTR pStrImage)
{
    m_sSelectedImage = pStrImage;
    Invalidate();
}

void COptionUI::SetSelectedHotImage(LPCTSTR pStrImage)
{
    m_sSelectedHotImage = pStrImage;
    Invalidate();
}

void COptionUI::SetForeImage(LPCTSTR pStrImage)
{
    m_sForeImage = pStrImage;
    Invalidate();
}

void COptionUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    static const AttributeSetter<COptionUI> kSetters[] = {
        {L"group", [](COptionUI& c, LPCTSTR v) { c.SetGroup(v); }},
        {L"selected", [](COptionUI& c, LPCTSTR v) { c.Selected(ParseBool(v)); }},
        {L"selectedimage", [](COptionUI& c, LPCTSTR v) { c.SetSelectedImage(v); }},
        {L"selectedhotimage", [](COptionUI& c, LPCTSTR v) { c.SetSelectedHotImage(v); }},
        {L"selectedtextcolor", [](COptionUI& c, LPCTSTR v) { c.SetSelectedTextColor(ParseColor(v)); }},
        {L"selectedbkcolor", [](COptionUI& c, LPCTSTR v) { c.SetSelectedBkColor(ParseColor(v)); }},
        {L"foreimage", [](COptionUI& c, LPCTSTR v) { c.SetForeImage(v); }},
    };
    if (!ApplyAttribute(kSetters, *this, pstrName, pstrValue))
        CButtonUI::SetAttribute(pstrName, pstrValue);
}

void COptionUI::PaintBkColor(HDC hDC)
{
    if (m_bSelected && m_dwSelectedBkColor != 0)
        CRenderEngine::DrawColor(hDC, m_rcItem, m_dwSelectedBkColor);
    else
        CButtonUI::PaintBkColor(hDC);
}

void COptionUI::PaintStatusImage(HDC hDC)
{
    bool drawn = false;
    if (m_bSelected && (m_uButtonState & UISTATE_HOT) && !m_sSelectedHotImage.IsEmpty())
        drawn = DrawImage(hDC, m_sSelectedHotImage);
    if (!drawn && m_bSelected && !m_sSelectedImage.IsEmpty())
        drawn = DrawImage(hDC, m_sSelectedImage);
    if (!drawn)
        CButtonUI::PaintStatusImage(hDC);
    if (!m_sForeImage.IsEmpty())
        DrawImage(hDC, m_sForeImage);
}

void COptionUI::PaintText(HDC hDC)
{
    if (!m_bSelected || m_dwSelectedTextColor == 0)
    {
        CButtonUI::PaintText(hDC);
        return;
    }
    RefreshStateFlags();
    ResolveDefaultColors();
    if (!m_sText.IsEmpty())
        DrawLabelText(hDC, TextRect(), m_dwSelectedTextColor, m_iFont);
}
} // namespace DuiLib
