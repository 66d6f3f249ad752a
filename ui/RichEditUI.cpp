#include "ui/RichEditUI.h"

#include "ui/AttributeParse.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"
#include "ui/RtfReader.h"

#include "platform/Text.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace DuiLib
{
namespace
{
constexpr UINT kTextStyle = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;
constexpr int kWheelLines = 3;
constexpr LONG kStreamChunk = 4096;

std::wstring FromUtf8(const std::string& bytes)
{
    const int count =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(std::max(0, count)), L'\0');
    if (count > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), count);
    // Windows line ends count once.
    std::erase(text, L'\r');
    return text;
}
} // namespace

CRichEditUI::CRichEditUI() : m_pVScroll(new CScrollBarUI)
{
    m_pVScroll->SetOwner(this, [this](int) { Invalidate(); });
}

CRichEditUI::~CRichEditUI()
{
    delete m_pVScroll;
}

LPCTSTR CRichEditUI::GetClass() const
{
    return L"RichEditUI";
}

LPVOID CRichEditUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"RichEdit") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_TABSTOP : 0;
}

void CRichEditUI::SetText(LPCTSTR pstrText)
{
    m_sText = pstrText;
    Relayout();
}

void CRichEditUI::AppendText(LPCTSTR pstrText)
{
    m_sText += pstrText;
    Relayout();
}

void CRichEditUI::SetRtf(const char* pData, std::size_t nSize, bool bAppend)
{
    const std::wstring text = CRtfReader::ToText(pData, nSize);
    if (bAppend)
        AppendText(text.c_str());
    else
        SetText(text.c_str());
}

LONG CRichEditUI::StreamIn(int nFormat, EDITSTREAM& es)
{
    es.dwError = 0;
    if (es.pfnCallback == nullptr)
        return 0;
    std::string bytes;
    BYTE chunk[kStreamChunk];
    for (;;)
    {
        LONG read = 0;
        es.dwError = es.pfnCallback(es.dwCookie, chunk, kStreamChunk, &read);
        if (es.dwError != 0 || read <= 0)
            break;
        bytes.append(reinterpret_cast<const char*>(chunk),
                     static_cast<std::size_t>(std::min(read, kStreamChunk)));
    }
    const std::wstring text =
        (nFormat & SF_RTF) ? CRtfReader::ToText(bytes.data(), bytes.size()) : FromUtf8(bytes);
    if (nFormat & SFF_SELECTION)
        AppendText(text.c_str());
    else
        SetText(text.c_str());
    return static_cast<LONG>(text.size());
}

void CRichEditUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    CControlUI::SetManager(pManager, pParent, bInit);
    m_pVScroll->SetManager(pManager, this, bInit);
}

RECT CRichEditUI::TextArea() const
{
    CDuiRect area(m_rcItem);
    area.Deflate(m_rcTextPadding);
    if (m_bScrollEnabled && GetScrollRange() > 0)
        area.right -= m_pVScroll->GetThickness();
    area.Normalize();
    return area;
}

int CRichEditUI::MeasureHeight(int width)
{
    if (m_pManager == nullptr || m_sText.IsEmpty() || width <= 0)
        return 0;
    RECT rc{0, 0, width, 0};
    CRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rc, m_sText, 0, m_iFont,
                            kTextStyle | DT_CALCRECT);
    return rc.bottom - rc.top;
}

int CRichEditUI::LineHeight()
{
    if (m_pManager == nullptr)
        return 16;
    return std::max<LONG>(
        1, CRenderEngine::GetTextSize(m_pManager->GetPaintDC(), m_pManager, L"Ag", m_iFont, 0).cy);
}

void CRichEditUI::Relayout()
{
    CDuiRect area(m_rcItem);
    area.Deflate(m_rcTextPadding);
    const int view = std::max(0, area.GetHeight());
    m_nContentHeight = MeasureHeight(area.GetWidth());
    const int bar = m_pVScroll->GetThickness();
    // A bar that has to appear narrows the text, which may then wrap longer.
    if (m_bScrollEnabled && m_nContentHeight > view)
        m_nContentHeight = MeasureHeight(area.GetWidth() - bar);
    m_pVScroll->SetScrollRange(m_bScrollEnabled ? std::max(0, m_nContentHeight - view) : 0);
    m_pVScroll->SetLineSize(LineHeight());
    if (GetScrollRange() > 0)
        m_pVScroll->SetPos(RECT{area.right - bar, area.top, area.right, area.bottom}, false);
    Invalidate();
}

void CRichEditUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    const bool resized = rc.right - rc.left != GetWidth() || rc.bottom - rc.top != GetHeight();
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (resized)
        Relayout();
    else if (GetScrollRange() > 0)
        m_pVScroll->SetPos(RECT{TextArea().right, TextArea().top,
                                TextArea().right + m_pVScroll->GetThickness(), TextArea().bottom},
                           false);
}

CControlUI* CRichEditUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    CControlUI* found = CControlUI::FindControl(Proc, pData, uFlags);
    if (found && (uFlags & UIFIND_HITTEST) && GetScrollRange() > 0 &&
        CDuiRect(m_pVScroll->GetPos()).Contains(*static_cast<LPPOINT>(pData)))
        return m_pVScroll;
    return found;
}

void CRichEditUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_SCROLLWHEEL && GetScrollRange() > 0)
    {
        const int step = kWheelLines * m_pVScroll->GetLineSize();
        SetScrollPos(GetScrollPos() + (GET_WHEEL_DELTA_WPARAM(event.wParam) > 0 ? -step : step));
        return;
    }
    if (event.Type == UIEVENT_KEYDOWN)
    {
        switch (event.chKey)
        {
        case VK_UP:
            m_pVScroll->LineUp();
            return;
        case VK_DOWN:
            m_pVScroll->LineDown();
            return;
        case VK_PRIOR:
            m_pVScroll->PageUp();
            return;
        case VK_NEXT:
            m_pVScroll->PageDown();
            return;
        case VK_HOME:
            SetScrollPos(0);
            return;
        case VK_END:
            SetScrollPos(GetScrollRange());
            return;
        default:
            break;
        }
    }
    CControlUI::DoEvent(event);
}

void CRichEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const CDuiString name(pstrName);
    if (name == L"vscrollbar")
        m_bScrollEnabled = ParseBool(pstrValue);
    else if (name == L"vscrollbarstyle")
        m_pVScroll->ApplyAttributeList(pstrValue);
    else if (name == L"font")
        m_iFont = ParseInt(pstrValue);
    else if (name == L"textcolor")
        m_dwTextColor = ParseColor(pstrValue);
    else if (name == L"textpadding" || name == L"inset")
        m_rcTextPadding = ParseRect(pstrValue);
    else if (name == L"readonly" || name == L"multiline" || name == L"wanttab" || name == L"wantreturn" ||
             name == L"rich" || name == L"autovscroll")
        return; // always a read-only, multi-line, rich view here
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
    if (name != L"text")
        Relayout();
}

void CRichEditUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!BeginClip(hDC, rcPaint))
        return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    const RECT paintArea = m_rcPaint;
    const CDuiRect area(TextArea());
    if (m_pManager && !m_sText.IsEmpty() && !area.IsEmpty())
    {
        CRenderEngine::PushClip(hDC, area);
        const int top = area.top - GetScrollPos();
        RECT text{area.left, top, area.right, top + m_nContentHeight};
        const DWORD color = m_dwTextColor != 0 ? m_dwTextColor : m_pManager->GetDefaultFontColor();
        CRenderEngine::DrawText(hDC, m_pManager, text, m_sText, color, m_iFont, kTextStyle);
        CRenderEngine::PopClip(hDC);
    }
    if (GetScrollRange() > 0)
        m_pVScroll->DoPaint(hDC, paintArea);
    PaintBorder(hDC);
    EndClip(hDC);
}
} // namespace DuiLib
