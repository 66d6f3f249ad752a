#include "ui/ControlUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include "platform/Input.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (m_pManager)
        m_pManager->ReapObjects(this);
}

LPCTSTR CControlUI::GetClass() const
{
    return L"ControlUI";
}

LPVOID CControlUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Control") == 0)
        return this;
    return nullptr;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit)
        Init();
}

void CControlUI::SetText(LPCTSTR pstrText)
{
    if (m_sText == pstrText)
        return;
    m_sText = pstrText;
    Invalidate();
}

void CControlUI::SetBkColor(DWORD dwBackColor)
{
    m_dwBackColor = dwBackColor;
    Invalidate();
}

void CControlUI::SetBkImage(LPCTSTR pStrImage)
{
    m_sBkImage = pStrImage;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

void CControlUI::SetBorderSize(int nSize)
{
    m_nBorderSize = std::max(0, nSize);
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE cxyRound)
{
    m_cxyBorderRound = cxyRound;
    Invalidate();
}

bool CControlUI::DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage, pStrModify);
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    if (bNeedInvalidate)
        Invalidate();
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    if (bNeedInvalidate)
        Invalidate();
}

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE szXY)
{
    m_cXY = szXY;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    m_cxyFixed.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    m_cxyFixed.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx)
{
    m_cxyMin.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx)
{
    m_cxyMax.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy)
{
    m_cxyMin.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy)
{
    m_cxyMax.cy = std::max(0, cy);
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE)
{
    return m_cxyFixed;
}

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    const bool wasVisible = IsVisible();
    m_bVisible = bVisible;
    if (m_bFocused && !bVisible && m_pManager)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible)
        NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool bVisible)
{
    m_bInternVisible = bVisible;
    if (!bVisible && m_bFocused && m_pManager)
        m_pManager->SetFocus(nullptr);
}

void CControlUI::SetEnabled(bool bEnable)
{
    if (m_bEnabled == bEnable)
        return;
    m_bEnabled = bEnable;
    Invalidate();
}

void CControlUI::SetFocus()
{
    if (m_pManager)
        m_pManager->SetFocus(this);
}

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat)
        return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) && !IsVisible())
        return nullptr;
    if ((uFlags & UIFIND_ENABLED) && !IsEnabled())
        return nullptr;
    if ((uFlags & UIFIND_HITTEST) &&
        (!m_bMouseEnabled || !CDuiRect(m_rcItem).Contains(*static_cast<LPPOINT>(pData))))
        return nullptr;
    return Proc(this, pData);
}

void CControlUI::Invalidate()
{
    if (!IsVisible() || m_pManager == nullptr)
        return;
    // A float control may paint outside its parent, so the whole parent chain is not clipped.
    m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent)
    {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    }
    else
    {
        NeedUpdate();
    }
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::Init()
{
    DoInit();
}

void CControlUI::Event(TEventUI& event)
{
    DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event)
{
    switch (event.Type)
    {
    case UIEVENT_SETCURSOR:
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (m_pManager)
            m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
        return;
    default:
        break;
    }
    if (m_pParent)
        m_pParent->DoEvent(event);
}

namespace
{
// Reads "pos": "x,y" moves a float control; "l,t,r,b" also fixes its size.
void ApplyPos(CControlUI& control, LPCTSTR value)
{
    int v[4] = {0, 0, 0, 0};
    const int count = ParseIntList(value, v, 4);
    control.SetFixedXY(SIZE{v[0], v[1]});
    if (count == 4)
    {
        control.SetFixedWidth(v[2] - v[0]);
        control.SetFixedHeight(v[3] - v[1]);
        control.SetPos(RECT{v[0], v[1], v[2], v[3]}, false);
    }
}

struct CursorName
{
    const wchar_t* name;
    LPCWSTR id;
};

LPCWSTR CursorIdOf(LPCTSTR name)
{
    static const CursorName kNames[] = {
        {L"arrow", IDC_ARROW},   {L"hand", IDC_HAND},       {L"ibeam", IDC_IBEAM},
        {L"wait", IDC_WAIT},     {L"cross", IDC_CROSS},     {L"sizewe", IDC_SIZEWE},
        {L"sizens", IDC_SIZENS}, {L"sizeall", IDC_SIZEALL}, {L"no", IDC_NO},
    };
    for (const CursorName& entry : kNames)
    {
        if (name != nullptr && std::wcscmp(name, entry.name) == 0)
            return entry.id;
    }
    return nullptr;
}
} // namespace

void CControlUI::SetCursorName(LPCTSTR pstrName)
{
    m_cursorId = CursorIdOf(pstrName);
}

void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const auto setBkcolor = [](CControlUI& c, LPCTSTR v) { c.SetBkColor(ParseColor(v)); };
    static const AttributeSetter<CControlUI> kSetters[] = {
        {L"pos", [](CControlUI& c, LPCTSTR v) { ApplyPos(c, v); }},
        {L"padding", [](CControlUI& c, LPCTSTR v) { c.SetPadding(ParseRect(v)); }},
        {L"bkcolor", setBkcolor},
        {L"bkcolor1", setBkcolor},
        {L"bordercolor", [](CControlUI& c, LPCTSTR v) { c.SetBorderColor(ParseColor(v)); }},
        {L"bordersize", [](CControlUI& c, LPCTSTR v) { c.SetBorderSize(ParseInt(v)); }},
        {L"borderround", [](CControlUI& c, LPCTSTR v) { c.SetBorderRound(ParseSize(v)); }},
        {L"bkimage", [](CControlUI& c, LPCTSTR v) { c.SetBkImage(v); }},
        {L"width", [](CControlUI& c, LPCTSTR v) { c.SetFixedWidth(ParseInt(v)); }},
        {L"height", [](CControlUI& c, LPCTSTR v) { c.SetFixedHeight(ParseInt(v)); }},
        {L"minwidth", [](CControlUI& c, LPCTSTR v) { c.SetMinWidth(ParseInt(v)); }},
        {L"minheight", [](CControlUI& c, LPCTSTR v) { c.SetMinHeight(ParseInt(v)); }},
        {L"maxwidth", [](CControlUI& c, LPCTSTR v) { c.SetMaxWidth(ParseInt(v)); }},
        {L"maxheight", [](CControlUI& c, LPCTSTR v) { c.SetMaxHeight(ParseInt(v)); }},
        {L"name", [](CControlUI& c, LPCTSTR v) { c.SetName(v); }},
        {L"text", [](CControlUI& c, LPCTSTR v) { c.SetText(v); }},
        {L"tooltip", [](CControlUI& c, LPCTSTR v) { c.SetToolTip(v); }},
        {L"cursor", [](CControlUI& c, LPCTSTR v) { c.SetCursorName(v); }},
        {L"userdata", [](CControlUI& c, LPCTSTR v) { c.SetUserData(v); }},
        {L"enabled", [](CControlUI& c, LPCTSTR v) { c.SetEnabled(ParseBool(v)); }},
        {L"mouse", [](CControlUI& c, LPCTSTR v) { c.SetMouseEnabled(ParseBool(v)); }},
        {L"keyboard", [](CControlUI& c, LPCTSTR v) { c.SetKeyboardEnabled(ParseBool(v)); }},
        {L"visible", [](CControlUI& c, LPCTSTR v) { c.SetVisible(ParseBool(v)); }},
        {L"float", [](CControlUI& c, LPCTSTR v) { c.SetFloat(ParseBool(v)); }},
    };
    ApplyAttribute(kSetters, *this, pstrName, pstrValue);
}

CControlUI* CControlUI::ApplyAttributeList(LPCTSTR pstrList)
{
    for (const auto& [name, value] : ParseAttributeList(pstrList))
        SetAttribute(name, value);
    return this;
}

bool CControlUI::BeginClip(HDC hDC, const RECT& rcPaint)
{
    CDuiRect area(rcPaint);
    if (!area.Intersect(m_rcItem))
        return false;
    m_rcPaint = area;
    return CRenderEngine::PushClip(hDC, area);
}

void CControlUI::EndClip(HDC hDC)
{
    CRenderEngine::PopClip(hDC);
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!BeginClip(hDC, rcPaint))
        return;
    PaintLayers(hDC);
    EndClip(hDC);
}

void CControlUI::PaintLayers(HDC hDC)
{
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC)
{
    if (m_dwBackColor == 0)
        return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        CRenderEngine::DrawRoundColor(hDC, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy, m_dwBackColor);
    else
        CRenderEngine::DrawColor(hDC, m_rcItem, m_dwBackColor);
}

void CControlUI::PaintBkImage(HDC hDC)
{
    if (!m_sBkImage.IsEmpty())
        DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_nBorderSize <= 0 || m_dwBorderColor == 0)
        return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy, m_nBorderSize,
                                     m_dwBorderColor);
    else
        CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, m_dwBorderColor);
}
} // namespace DuiLib
