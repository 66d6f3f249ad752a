#include "ui/ComboUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/ComboWnd.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include <cwchar>

namespace DuiLib
{
CComboUI::CComboUI() = default;

CComboUI::~CComboUI()
{
    CloseDropDown();
}

LPCTSTR CComboUI::GetClass() const
{
    return L"ComboUI";
}

LPVOID CComboUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Combo") == 0)
        return this;
    if (LPVOID owner = ListOwnerInterface(this, pstrName))
        return owner;
    return CContainerUI::GetInterface(pstrName);
}

UINT CComboUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_TABSTOP : 0;
}

bool CComboUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pWindow)
    {
        CloseDropDown();
        return true;
    }
    m_pWindow = CComboWnd::Open(this);
    Invalidate();
    return m_pWindow != nullptr;
}

CDuiString CComboUI::GetText() const
{
    const CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : CDuiString();
}

HWND CComboUI::GetDropWindow() const
{
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CComboUI::CloseDropDown()
{
    // Synchronous: the items must be back before anything changes them.
    if (m_pWindow)
        m_pWindow->Destroy();
    m_pWindow = nullptr;
}

void CComboUI::Reindex(int iFrom)
{
    for (int i = std::max(0, iFrom); i < GetCount(); ++i)
    {
        if (IListItemUI* item = AsListItem(GetItemAt(i)))
            item->SetIndex(i);
    }
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex)
{
    CloseDropDown();
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (IListItemUI* item = AsListItem(pControl))
        item->SetOwner(this);
    Reindex(iIndex);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    return true;
}

bool CComboUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    CloseDropDown();
    if (!CContainerUI::RemoveAt(iIndex, bDoNotDestroy))
        return false;
    Reindex(iIndex);
    m_iCurSel = SelectionAfterRemoval(m_iCurSel, iIndex);
    Invalidate();
    return true;
}

void CComboUI::RemoveAll()
{
    CloseDropDown();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    Invalidate();
}

bool CComboUI::SelectItem(int iIndex, bool, bool bTriggerEvent)
{
    if (iIndex == m_iCurSel)
        return true;
    CControlUI* control = GetItemAt(iIndex);
    IListItemUI* item = AsListItem(control);
    if (item == nullptr || !control->IsEnabled())
        return false;
    const int old = m_iCurSel;
    MoveSelectionFlag(GetItemAt(old), item, bTriggerEvent);
    m_iCurSel = iIndex;
    Invalidate();
    if (bTriggerEvent)
        NotifyItemSelect(this, iIndex, old);
    return true;
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    // The items are laid out by the popup, not inside the combo.
    CControlUI::SetPos(rc, bNeedInvalidate);
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if (uFlags & UIFIND_HITTEST)
        return CControlUI::FindControl(Proc, pData, uFlags);
    return CContainerUI::FindControl(Proc, pData, uFlags);
}

void CComboUI::DoEvent(TEventUI& event)
{
    switch (event.Type)
    {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled())
        {
            m_uButtonState |= UISTATE_PUSHED;
            Activate();
        }
        return;
    case UIEVENT_BUTTONUP:
        m_uButtonState &= ~UISTATE_PUSHED;
        Invalidate();
        return;
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_UP)
            SelectItem(m_iCurSel - 1);
        else if (event.chKey == VK_DOWN)
            SelectItem(m_iCurSel + 1);
        else if (event.chKey == VK_F4 || event.chKey == VK_RETURN)
            Activate();
        return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        m_uButtonState = event.Type == UIEVENT_MOUSEENTER && IsEnabled() ? (m_uButtonState | UISTATE_HOT)
                                                                         : (m_uButtonState & ~UISTATE_HOT);
        Invalidate();
        return;
    default:
        CContainerUI::DoEvent(event);
        return;
    }
}

void CComboUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const auto setDropbox = [](CComboUI& c, LPCTSTR v) { c.SetDropBoxSize(ParseSize(v)); };
    static const AttributeSetter<CComboUI> kSetters[] = {
        {L"textpadding", [](CComboUI& c, LPCTSTR v) { c.m_rcTextPadding = ParseRect(v); }},
        {L"normalimage", [](CComboUI& c, LPCTSTR v) { c.m_sNormalImage = v; }},
        {L"hotimage", [](CComboUI& c, LPCTSTR v) { c.m_sHotImage = v; }},
        {L"pushedimage", [](CComboUI& c, LPCTSTR v) { c.m_sPushedImage = v; }},
        {L"focusedimage", [](CComboUI& c, LPCTSTR v) { c.m_sFocusedImage = v; }},
        {L"disabledimage", [](CComboUI& c, LPCTSTR v) { c.m_sDisabledImage = v; }},
        {L"dropbox", setDropbox},
        {L"dropboxsize", setDropbox},
    };
    if (SetListInfoAttribute(m_ListInfo, pstrName, pstrValue))
        Invalidate();
    else if (!ApplyAttribute(kSetters, *this, pstrName, pstrValue))
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    CControlUI::DoPaint(hDC, rcPaint);
}

void CComboUI::PaintStatusImage(HDC hDC)
{
    const CDuiString* image = &m_sNormalImage;
    if (!IsEnabled() && !m_sDisabledImage.IsEmpty())
        image = &m_sDisabledImage;
    else if ((m_uButtonState & UISTATE_PUSHED || m_pWindow) && !m_sPushedImage.IsEmpty())
        image = &m_sPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sHotImage.IsEmpty())
        image = &m_sHotImage;
    else if (IsFocused() && !m_sFocusedImage.IsEmpty())
        image = &m_sFocusedImage;
    if (!image->IsEmpty())
        DrawImage(hDC, *image);
}

void CComboUI::PaintText(HDC hDC)
{
    const CDuiString text = GetText();
    if (text.IsEmpty() || m_pManager == nullptr)
        return;
    CDuiRect rc(m_rcItem);
    rc.Deflate(m_rcTextPadding);
    DWORD color = IsEnabled() ? m_ListInfo.dwTextColor : m_ListInfo.dwDisabledTextColor;
    if (color == 0)
        color = IsEnabled() ? m_pManager->GetDefaultFontColor() : m_pManager->GetDefaultDisabledColor();
    CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, m_ListInfo.nFont, DT_SINGLELINE | DT_VCENTER);
}
} // namespace DuiLib
