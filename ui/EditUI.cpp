#include "ui/EditUI.h"

#include "ui/AttributeParse.h"
#include "ui/AttributeTable.h"
#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include "platform/Input.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib
{
namespace
{
// Control characters that typing produces with the Ctrl key held.
constexpr TCHAR kCtrlA = 0x01;
constexpr TCHAR kCtrlC = 0x03;
constexpr TCHAR kCtrlV = 0x16;
constexpr TCHAR kCtrlX = 0x18;

// Copy and paste stay within the program: the platform offers no clipboard.
std::wstring& Clipboard()
{
    static std::wstring text;
    return text;
}

constexpr LPCTSTR kTextChanged = L"textchanged";
} // namespace

CEditUI::CEditUI()
{
    m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
}

LPCTSTR CEditUI::GetClass() const
{
    return L"EditUI";
}

LPVOID CEditUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Edit") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CEditUI::GetControlFlags() const
{
    return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0;
}

void CEditUI::SetText(LPCTSTR pstrText)
{
    std::wstring text(pstrText ? pstrText : L"");
    if (text.size() > m_uMaxChar)
        text.resize(m_uMaxChar);
    CLabelUI::SetText(text.c_str());
    m_nCaret = m_nAnchor = GetTextLength();
    Invalidate();
}

void CEditUI::SetEnabled(bool bEnable)
{
    CLabelUI::SetEnabled(bEnable);
    if (!bEnable)
        m_bHot = false;
}

void CEditUI::SetMaxChar(UINT uMax)
{
    m_uMaxChar = uMax;
    if (static_cast<UINT>(GetTextLength()) > m_uMaxChar)
        SetText(m_sText);
}

void CEditUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    Invalidate();
}

void CEditUI::SetNumberOnly(bool bNumberOnly)
{
    m_bNumberOnly = bNumberOnly;
}

void CEditUI::SetPasswordMode(bool bPasswordMode)
{
    m_bPasswordMode = bPasswordMode;
    Invalidate();
}

void CEditUI::SetPasswordChar(TCHAR cPasswordChar)
{
    m_cPasswordChar = cPasswordChar;
    Invalidate();
}

void CEditUI::SetSel(int nStart, int nEnd)
{
    const int length = GetTextLength();
    if (nStart < 0)
        nStart = 0;
    if (nEnd < 0 || nEnd > length)
        nEnd = length;
    m_nAnchor = std::min(nStart, length);
    m_nCaret = nEnd;
    Invalidate();
}

std::wstring CEditUI::Accepted(const std::wstring& text) const
{
    std::wstring accepted;
    for (wchar_t ch : text)
    {
        if (ch < L' ' || ch == 0x7F)
            continue;
        if (m_bNumberOnly && (ch < L'0' || ch > L'9'))
            continue;
        accepted.push_back(ch);
    }
    return accepted;
}

bool CEditUI::ReplaceSel(LPCTSTR pstrText)
{
    if (m_bReadOnly || !IsEnabled())
        return false;
    std::wstring text = Accepted(pstrText ? pstrText : L"");
    const int selected = GetSelEnd() - GetSelStart();
    const long long room = static_cast<long long>(m_uMaxChar) - (GetTextLength() - selected);
    if (room < static_cast<long long>(text.size()))
        text.resize(static_cast<std::size_t>(std::max(0LL, room)));
    if (text.empty() && selected == 0)
        return false;
    std::wstring value = m_sText.Str();
    const int start = GetSelStart();
    value.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(selected), text);
    m_sText = value;
    m_nCaret = m_nAnchor = start + static_cast<int>(text.size());
    OnEdited();
    return true;
}

void CEditUI::EraseSelection()
{
    std::wstring value = m_sText.Str();
    value.erase(static_cast<std::size_t>(GetSelStart()),
                static_cast<std::size_t>(GetSelEnd() - GetSelStart()));
    m_sText = value;
    m_nCaret = m_nAnchor = GetSelStart();
}

void CEditUI::OnEdited()
{
    Invalidate();
    if (m_pManager)
        m_pManager->SendNotify(this, kTextChanged);
}

void CEditUI::MoveCaret(int nPos, bool bExtend)
{
    m_nCaret = std::clamp(nPos, 0, GetTextLength());
    if (!bExtend)
        m_nAnchor = m_nCaret;
    Invalidate();
}

void CEditUI::Copy() const
{
    // A password never leaves the field.
    if (!m_bPasswordMode && GetSelEnd() > GetSelStart())
        Clipboard() = m_sText.Str().substr(static_cast<std::size_t>(GetSelStart()),
                                           static_cast<std::size_t>(GetSelEnd() - GetSelStart()));
}

bool CEditUI::HandleKey(TEventUI& event)
{
    const bool editable = !m_bReadOnly && IsEnabled();
    switch (event.chKey)
    {
    case VK_SHIFT:
        m_bShift = event.Type == UIEVENT_KEYDOWN;
        return true;
    case VK_LEFT:
        MoveCaret(!m_bShift && GetSelEnd() > GetSelStart() ? GetSelStart() : m_nCaret - 1, m_bShift);
        return true;
    case VK_RIGHT:
        MoveCaret(!m_bShift && GetSelEnd() > GetSelStart() ? GetSelEnd() : m_nCaret + 1, m_bShift);
        return true;
    case VK_HOME:
        MoveCaret(0, m_bShift);
        return true;
    case VK_END:
        MoveCaret(GetTextLength(), m_bShift);
        return true;
    case VK_BACK:
    case VK_DELETE:
        if (!editable)
            return true;
        if (GetSelEnd() == GetSelStart())
        {
            const bool back = event.chKey == VK_BACK;
            if ((back && m_nCaret == 0) || (!back && m_nCaret == GetTextLength()))
                return true;
            m_nAnchor = back ? m_nCaret - 1 : m_nCaret + 1;
        }
        EraseSelection();
        OnEdited();
        return true;
    default:
        return false;
    }
}

void CEditUI::HandleChar(TCHAR ch)
{
    switch (ch)
    {
    case kCtrlA:
        SetSelAll();
        return;
    case kCtrlC:
        Copy();
        return;
    case kCtrlX:
        Copy();
        if (!m_bPasswordMode)
            ReplaceSel(L"");
        return;
    case kCtrlV:
        ReplaceSel(Clipboard().c_str());
        return;
    case L'\r':
        if (m_pManager)
            m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
        return;
    default:
        break;
    }
    const TCHAR text[2] = {ch, 0};
    ReplaceSel(text);
}

void CEditUI::DoEvent(TEventUI& event)
{
    switch (event.Type)
    {
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case UIEVENT_KILLFOCUS:
        m_bShift = false;
        m_bSelecting = false;
        break;
    case UIEVENT_KEYDOWN:
    case UIEVENT_KEYUP:
        if ((event.Type == UIEVENT_KEYDOWN || event.chKey == VK_SHIFT) && HandleKey(event))
            return;
        break;
    case UIEVENT_CHAR:
        HandleChar(event.chKey);
        return;
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled())
        {
            MoveCaret(HitTest(event.ptMouse), m_bShift);
            m_bSelecting = true;
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_bSelecting)
            MoveCaret(HitTest(event.ptMouse), true);
        return;
    case UIEVENT_BUTTONUP:
        m_bSelecting = false;
        return;
    case UIEVENT_DBLCLICK:
        SetSelAll();
        return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        m_bHot = event.Type == UIEVENT_MOUSEENTER && IsEnabled();
        Invalidate();
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    static const AttributeSetter<CEditUI> kSetters[] = {
        {L"readonly", [](CEditUI& c, LPCTSTR v) { c.SetReadOnly(ParseBool(v)); }},
        {L"numberonly", [](CEditUI& c, LPCTSTR v) { c.SetNumberOnly(ParseBool(v)); }},
        {L"password", [](CEditUI& c, LPCTSTR v) { c.SetPasswordMode(ParseBool(v)); }},
        {L"passwordchar",
         [](CEditUI& c, LPCTSTR v) {
             if (v[0] != 0)
                 c.SetPasswordChar(v[0]);
         }},
        {L"maxchar",
         [](CEditUI& c, LPCTSTR v) { c.SetMaxChar(static_cast<UINT>(std::max(0, ParseInt(v)))); }},
        {L"normalimage", [](CEditUI& c, LPCTSTR v) { c.m_sNormalImage = v; }},
        {L"hotimage", [](CEditUI& c, LPCTSTR v) { c.m_sHotImage = v; }},
        {L"focusedimage", [](CEditUI& c, LPCTSTR v) { c.m_sFocusedImage = v; }},
        {L"disabledimage", [](CEditUI& c, LPCTSTR v) { c.m_sDisabledImage = v; }},
        {L"nativebkcolor", [](CEditUI& c, LPCTSTR v) { c.m_dwNativeBkColor = ParseColor(v); }},
        {L"selectedbkcolor", [](CEditUI& c, LPCTSTR v) { c.m_dwSelectedBkColor = ParseColor(v); }},
    };
    if (!ApplyAttribute(kSetters, *this, pstrName, pstrValue))
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

std::wstring CEditUI::Shown() const
{
    if (m_bPasswordMode)
        return std::wstring(static_cast<std::size_t>(GetTextLength()), m_cPasswordChar);
    return m_sText.Str();
}

int CEditUI::TextWidth(HDC hDC, const std::wstring& text, int nChars) const
{
    if (nChars <= 0 || m_pManager == nullptr)
        return 0;
    HGDIOBJ old = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(m_pManager->GetFont(m_iFont)));
    SIZE size{};
    ::GetTextExtentPoint32W(hDC, text.c_str(), nChars, &size);
    ::SelectObject(hDC, old);
    return size.cx;
}

int CEditUI::TextOrigin(HDC hDC)
{
    const RECT rc = TextRect();
    const int room = rc.right - rc.left;
    const std::wstring shown = Shown();
    const int full = TextWidth(hDC, shown, static_cast<int>(shown.size()));
    if (full <= room)
    {
        m_nScrollX = 0;
        if (m_uTextStyle & DT_CENTER)
            return rc.left + (room - full) / 2;
        if (m_uTextStyle & DT_RIGHT)
            return rc.left + room - full;
        return rc.left;
    }
    const int caret = TextWidth(hDC, shown, m_nCaret);
    if (caret - m_nScrollX > room - 1)
        m_nScrollX = caret - room + 1;
    if (caret < m_nScrollX)
        m_nScrollX = caret;
    m_nScrollX = std::clamp(m_nScrollX, 0, std::max(0, full - room + 1));
    return rc.left - m_nScrollX;
}

int CEditUI::HitTest(POINT pt)
{
    if (m_pManager == nullptr)
        return m_nCaret;
    HDC dc = m_pManager->GetPaintDC();
    const std::wstring shown = Shown();
    const int x = pt.x - TextOrigin(dc);
    int previous = 0;
    for (int i = 1; i <= static_cast<int>(shown.size()); ++i)
    {
        const int width = TextWidth(dc, shown, i);
        if (2 * x < previous + width)
            return i - 1;
        previous = width;
    }
    return static_cast<int>(shown.size());
}

void CEditUI::PaintStatusImage(HDC hDC)
{
    const CDuiString* image = &m_sNormalImage;
    if (!IsEnabled() && !m_sDisabledImage.IsEmpty())
        image = &m_sDisabledImage;
    else if (IsFocused() && !m_sFocusedImage.IsEmpty())
        image = &m_sFocusedImage;
    else if (m_bHot && !m_sHotImage.IsEmpty())
        image = &m_sHotImage;
    if (!image->IsEmpty())
        DrawImage(hDC, *image);
    if (m_dwNativeBkColor != 0)
        CRenderEngine::DrawColor(hDC, TextRect(), m_dwNativeBkColor);
}

void CEditUI::PaintText(HDC hDC)
{
    ResolveDefaultColors();
    if (m_pManager == nullptr)
        return;
    const CDuiRect rc(TextRect());
    const std::wstring shown = Shown();
    const int origin = TextOrigin(hDC);
    CRenderEngine::PushClip(hDC, rc);
    if (IsFocused() && GetSelEnd() > GetSelStart())
    {
        const int from = origin + TextWidth(hDC, shown, GetSelStart());
        const int to = origin + TextWidth(hDC, shown, GetSelEnd());
        CRenderEngine::DrawColor(hDC, RECT{from, rc.top, to, rc.bottom}, m_dwSelectedBkColor);
    }
    RECT textRect{origin, rc.top, origin + TextWidth(hDC, shown, static_cast<int>(shown.size())) + 1,
                  rc.bottom};
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    CRenderEngine::DrawText(hDC, m_pManager, textRect, shown.c_str(), color, m_iFont,
                            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (IsFocused() && !m_bReadOnly)
    {
        const int x = origin + TextWidth(hDC, shown, m_nCaret);
        CRenderEngine::DrawColor(hDC, RECT{x, rc.top + 2, x + 1, rc.bottom - 2}, color);
    }
    CRenderEngine::PopClip(hDC);
}
} // namespace DuiLib
