#include "ui/ScrollBarUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
namespace
{
constexpr int kDefaultThickness = 12;

// Image attribute names: <part><state>image, e.g. "thumbhotimage", "button1normalimage".
constexpr LPCTSTR kPartNames[] = {L"button1", L"button2", L"thumb", L"rail"};
} // namespace

CScrollBarUI::CScrollBarUI()
{
    m_cxyFixed = SIZE{kDefaultThickness, 0};
}

LPCTSTR CScrollBarUI::GetClass() const
{
    return L"ScrollBarUI";
}

LPVOID CScrollBarUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"ScrollBar") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

void CScrollBarUI::SetOwner(CControlUI* pOwner, ScrollCallback onScroll)
{
    m_pOwner = pOwner;
    m_onScroll = std::move(onScroll);
}

void CScrollBarUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal)
        return;
    m_bHorizontal = bHorizontal;
    m_cxyFixed = bHorizontal ? SIZE{0, kDefaultThickness} : SIZE{kDefaultThickness, 0};
    NeedParentUpdate();
}

int CScrollBarUI::GetThickness() const
{
    return m_bHorizontal ? m_cxyFixed.cy : m_cxyFixed.cx;
}

void CScrollBarUI::SetScrollRange(int nRange)
{
    m_nRange = std::max(0, nRange);
    if (m_nScrollPos > m_nRange)
        SetScrollPos(m_nRange);
    UpdateParts();
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int nPos)
{
    nPos = std::clamp(nPos, 0, m_nRange);
    if (nPos == m_nScrollPos)
        return;
    m_nScrollPos = nPos;
    UpdateParts();
    Invalidate();
    if (m_onScroll)
        m_onScroll(m_nScrollPos);
}

void CScrollBarUI::SetLineSize(int nSize)
{
    m_nLineSize = std::max(1, nSize);
}

int CScrollBarUI::TrackLength() const
{
    return m_bHorizontal ? m_rcButton2.left - m_rcButton1.right : m_rcButton2.top - m_rcButton1.bottom;
}

void CScrollBarUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    UpdateParts();
}

void CScrollBarUI::UpdateParts()
{
    const RECT& rc = m_rcItem;
    const int thickness = m_bHorizontal ? rc.bottom - rc.top : rc.right - rc.left;
    const int start = m_bHorizontal ? rc.left : rc.top;
    const int end = m_bHorizontal ? rc.right : rc.bottom;
    const int length = end - start;
    // Buttons never take more than half the bar each.
    const int button1 = m_bShowButton1 ? std::min(thickness, length / 2) : 0;
    const int button2 = m_bShowButton2 ? std::min(thickness, length / 2) : 0;
    auto span = [&](int from, int to) {
        return m_bHorizontal ? RECT{from, rc.top, to, rc.bottom} : RECT{rc.left, from, rc.right, to};
    };
    m_rcButton1 = span(start, start + button1);
    m_rcButton2 = span(end - button2, end);
    const int track = std::max(0, length - button1 - button2);
    if (m_nRange <= 0 || track <= 0)
    {
        m_rcThumb = RECT{};
        return;
    }
    // The thumb shows the visible share of the content, never thinner than the bar is thick.
    const long long content = static_cast<long long>(m_nRange) + track;
    int thumb = static_cast<int>(static_cast<long long>(track) * track / content);
    thumb = std::min(track, std::max(thumb, std::min(thickness, track)));
    const int travel = track - thumb;
    const int offset = static_cast<int>(static_cast<long long>(travel) * m_nScrollPos / m_nRange);
    const int thumbStart = start + button1 + offset;
    m_rcThumb = span(thumbStart, thumbStart + thumb);
}

CScrollBarUI::Part CScrollBarUI::HitPart(POINT pt) const
{
    if (CDuiRect(m_rcButton1).Contains(pt))
        return kButton1;
    if (CDuiRect(m_rcButton2).Contains(pt))
        return kButton2;
    if (CDuiRect(m_rcThumb).Contains(pt))
        return kThumb;
    return kRail;
}

void CScrollBarUI::OnButtonDown(POINT pt)
{
    const Part part = HitPart(pt);
    m_nPushedPart = part;
    switch (part)
    {
    case kButton1:
        LineUp();
        break;
    case kButton2:
        LineDown();
        break;
    case kThumb:
        m_nDragStart = Along(pt);
        m_nDragStartPos = m_nScrollPos;
        break;
    case kRail:
        if (Along(pt) < (m_bHorizontal ? m_rcThumb.left : m_rcThumb.top))
            PageUp();
        else
            PageDown();
        break;
    default:
        break;
    }
    Invalidate();
}

void CScrollBarUI::OnDrag(POINT pt)
{
    const int thumb = m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top;
    const int travel = TrackLength() - thumb;
    if (travel <= 0)
        return;
    const long long moved = Along(pt) - m_nDragStart;
    SetScrollPos(m_nDragStartPos + static_cast<int>(moved * m_nRange / travel));
}

void CScrollBarUI::SetHotPart(int part)
{
    if (m_nHotPart == part)
        return;
    m_nHotPart = part;
    Invalidate();
}

void CScrollBarUI::DoEvent(TEventUI& event)
{
    switch (event.Type)
    {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled())
            OnButtonDown(event.ptMouse);
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_nPushedPart == kThumb)
            OnDrag(event.ptMouse);
        else
            SetHotPart(HitPart(event.ptMouse));
        return;
    case UIEVENT_BUTTONUP:
        m_nPushedPart = -1;
        Invalidate();
        return;
    case UIEVENT_MOUSEENTER:
        SetHotPart(HitPart(event.ptMouse));
        return;
    case UIEVENT_MOUSELEAVE:
        SetHotPart(-1);
        return;
    case UIEVENT_SCROLLWHEEL:
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        return;
    default:
        CControlUI::DoEvent(event);
        return;
    }
}

bool CScrollBarUI::SetPartImage(LPCTSTR name, LPCTSTR value)
{
    const std::wstring attr(name);
    for (int part = 0; part < kPartCount; ++part)
    {
        const std::wstring prefix(kPartNames[part]);
        if (attr.rfind(prefix, 0) != 0)
            continue;
        const std::wstring state = attr.substr(prefix.size());
        PartLook& look = m_looks[part];
        CDuiString* slot = state == L"normalimage"   ? &look.normal
                           : state == L"hotimage"    ? &look.hot
                           : state == L"pushedimage" ? &look.pushed
                                                     : nullptr;
        if (slot == nullptr)
            return false;
        *slot = value;
        Invalidate();
        return true;
    }
    return false;
}

void CScrollBarUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    static const AttributeSetter<CScrollBarUI> kSetters[] = {
        {L"hor", [](CScrollBarUI& c, LPCTSTR v) { c.SetHorizontal(ParseBool(v)); }},
        {L"linesize", [](CScrollBarUI& c, LPCTSTR v) { c.SetLineSize(ParseInt(v)); }},
        {L"range", [](CScrollBarUI& c, LPCTSTR v) { c.SetScrollRange(ParseInt(v)); }},
        {L"value", [](CScrollBarUI& c, LPCTSTR v) { c.SetScrollPos(ParseInt(v)); }},
        {L"showbutton1", [](CScrollBarUI& c, LPCTSTR v) { c.m_bShowButton1 = ParseBool(v); }},
        {L"showbutton2", [](CScrollBarUI& c, LPCTSTR v) { c.m_bShowButton2 = ParseBool(v); }},
        {L"thumbcolor", [](CScrollBarUI& c, LPCTSTR v) { c.m_dwThumbColor = ParseColor(v); }},
        {L"bknormalimage", [](CScrollBarUI& c, LPCTSTR v) { c.SetBkImage(v); }},
    };
    if (!ApplyAttribute(kSetters, *this, pstrName, pstrValue) && !SetPartImage(pstrName, pstrValue))
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void CScrollBarUI::PaintPart(HDC hDC, Part part, const RECT& rc)
{
    if (CDuiRect(rc).IsEmpty())
        return;
    const PartLook& look = m_looks[part];
    const CDuiString* image = &look.normal;
    if (m_nPushedPart == part && !look.pushed.IsEmpty())
        image = &look.pushed;
    else if (m_nHotPart == part && !look.hot.IsEmpty())
        image = &look.hot;
    if (!image->IsEmpty())
    {
        CRenderEngine::DrawImageString(hDC, m_pManager, rc, m_rcPaint, *image);
        return;
    }
    // Without skin images the thumb still has to be seen.
    if (part == kThumb)
        CRenderEngine::DrawColor(hDC, rc, m_dwThumbColor);
}

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!BeginClip(hDC, rcPaint))
        return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintPart(hDC, kButton1, m_rcButton1);
    PaintPart(hDC, kButton2, m_rcButton2);
    PaintPart(hDC, kThumb, m_rcThumb);
    PaintPart(hDC, kRail, m_rcThumb);
    PaintBorder(hDC);
    EndClip(hDC);
}
} // namespace DuiLib
