#include "main/WkeWebkitUI.h"

#include "main/WkeApi.h"
#include "ui/PaintManagerUI.h"

#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cwchar>

using namespace DuiLib;

namespace
{
constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/69.0.2228.0 Safari/537.36";
// The repeat and extended-key bits of the key message's high word, kept in place.
constexpr unsigned kKeyFlagsMask = 0x4100;
// MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON
constexpr unsigned kMouseFlagsMask = 0x1F;

unsigned KeyFlags(LPARAM lParam)
{
    return HIWORD(static_cast<DWORD>(lParam)) & kKeyFlagsMask;
}

bool IsMouseMessage(UINT msg)
{
    return (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) ||
           (msg >= WM_XBUTTONDOWN && msg <= WM_XBUTTONDBLCLK);
}

bool Inside(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}
} // namespace

CWkeWebkitUI::~CWkeWebkitUI()
{
    if (m_bFiltering && m_pManager != nullptr)
        m_pManager->RemoveMessageFilter(this);
    if (m_webView != nullptr)
        GetWkeApi()->wkeDestroyWebView(m_webView);
    m_webView = nullptr;
}

LPCTSTR CWkeWebkitUI::GetClass() const
{
    return L"wkeWebKit";
}

LPVOID CWkeWebkitUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"wkeWebKit") == 0)
        return this;
    return CControlUI::GetInterface(pstrName);
}

void CWkeWebkitUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_webView != nullptr)
        GetWkeApi()->wkeResize(m_webView, rc.right - rc.left, rc.bottom - rc.top);
}

void CWkeWebkitUI::DoInit()
{
    CControlUI::DoInit();
    const WkeApi* api = GetWkeApi();
    if (api != nullptr && m_webView == nullptr)
    {
        m_webView = api->wkeCreateWebView();
        api->wkeOnTitleChanged(m_webView, &OnTitleChangedCallback, this);
        api->wkeOnURLChanged(m_webView, &OnURLChangedCallback, this);
        api->wkeOnLoadingFinish(m_webView, &OnLoadingFinishCallback, this);
        api->wkeOnNavigation(m_webView, &OnNavigationCallback, this);
        api->wkeOnPaintUpdated(m_webView, &OnPaintUpdatedCallback, this);
        api->wkeSetUserAgent(m_webView, kUserAgent);
    }
    if (m_pManager != nullptr && !m_bFiltering)
        m_bFiltering = m_pManager->AddMessageFilter(this);
}

void CWkeWebkitUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"alpha") == 0)
        m_nAlpha = static_cast<int>(std::wcstol(pstrValue, nullptr, 10));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void CWkeWebkitUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    HDC viewDC = m_webView != nullptr ? GetWkeApi()->wkeGetViewDC(m_webView) : nullptr;
    if (viewDC == nullptr)
    {
        CControlUI::DoPaint(hDC, rcPaint);
        return;
    }
    cairo_surface_t* image = cairo_get_target(platform::CairoOf(viewDC));
    // Right after a resize the view's image can still be the smaller one of before.
    int imageWidth = 0;
    int imageHeight = 0;
    if (cairo_surface_get_type(image) == CAIRO_SURFACE_TYPE_IMAGE)
    {
        imageWidth = cairo_image_surface_get_width(image);
        imageHeight = cairo_image_surface_get_height(image);
    }
    const RECT area{std::max(rcPaint.left, m_rcItem.left), std::max(rcPaint.top, m_rcItem.top),
                    std::min({rcPaint.right, m_rcItem.right, m_rcItem.left + imageWidth}),
                    std::min({rcPaint.bottom, m_rcItem.bottom, m_rcItem.top + imageHeight})};
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    cairo_t* cr = platform::CairoOf(hDC);
    cairo_save(cr);
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, m_rcItem.left, m_rcItem.top);
    if (m_nAlpha == 255)
    {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
    }
    else
        cairo_paint_with_alpha(cr, (m_nAlpha & 0xFF) / 255.0);
    cairo_restore(cr);
}

void CWkeWebkitUI::DoEvent(TEventUI& event)
{
    if (m_webView != nullptr && event.Type == UIEVENT_SETFOCUS)
        GetWkeApi()->wkeSetFocus(m_webView);
    else if (m_webView != nullptr && event.Type == UIEVENT_KILLFOCUS)
    {
        GetWkeApi()->wkeKillFocus(m_webView);
        m_nModifiers = 0; // their key ups may go elsewhere now
    }
    CControlUI::DoEvent(event);
}

LRESULT CWkeWebkitUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    bHandled = false;
    if (!IsVisible() || m_webView == nullptr)
        return 0;
    const WkeApi* api = GetWkeApi();
    if (uMsg == WM_KEYDOWN || uMsg == WM_KEYUP || uMsg == WM_SYSKEYDOWN || uMsg == WM_SYSKEYUP)
        TrackModifier(static_cast<unsigned>(wParam), uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN);
    switch (uMsg)
    {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR: {
        if (!IsFocused())
            return 0;
        const auto key = static_cast<unsigned>(wParam);
        const unsigned flags = KeyFlags(lParam) | m_nModifiers;
        if (uMsg == WM_KEYDOWN)
            bHandled = api->wkeFireKeyDownEvent(m_webView, key, flags, false);
        else if (uMsg == WM_KEYUP)
            bHandled = api->wkeFireKeyUpEvent(m_webView, key, flags, false);
        else
            bHandled = api->wkeFireKeyPressEvent(m_webView, key, flags, false);
        return 1;
    }
    case WM_IME_STARTCOMPOSITION:
        bHandled = OnImeStartComposition();
        return 1;
    case WM_CONTEXTMENU:
        bHandled = OnContextMenu(lParam);
        return 1;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        bHandled = OnMouseWheel(wParam, lParam);
        return 1;
    default:
        if (!IsMouseMessage(uMsg))
            return 0;
        OnMouseEvent(uMsg, wParam, lParam);
        return 1;
    }
}

void CWkeWebkitUI::TrackModifier(unsigned virtualKey, bool down)
{
    // The state as of the key message being handled, as the page must see it; the display's
    // state now may already be past it.
    unsigned bit = 0;
    if (virtualKey == VK_SHIFT || virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT)
        bit = WKE_KEY_SHIFT;
    else if (virtualKey == VK_CONTROL || virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL)
        bit = WKE_KEY_CONTROL;
    else if (virtualKey == VK_MENU || virtualKey == VK_LMENU || virtualKey == VK_RMENU)
        bit = WKE_KEY_ALT;
    if (down)
        m_nModifiers |= bit;
    else
        m_nModifiers &= ~bit;
}

bool CWkeWebkitUI::OnMouseEvent(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
    if (!Inside(m_rcItem, pt))
    {
        if (down)
            m_bFocused = false;
        return false;
    }
    if (down)
    {
        SetFocus();
        m_pManager->SetCapture();
    }
    else if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP)
        m_pManager->ReleaseCapture();
    GetWkeApi()->wkeFireMouseEvent(m_webView, message, pt.x - m_rcItem.left, pt.y - m_rcItem.top,
                                   static_cast<unsigned>(wParam) & kMouseFlagsMask);
    UpdateCursor();
    return false;
}

POINT CWkeWebkitUI::ScreenToView(POINT pt) const
{
    ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
    return POINT{pt.x - m_rcItem.left, pt.y - m_rcItem.top};
}

bool CWkeWebkitUI::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    const POINT pt = ScreenToView(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    const int delta = static_cast<short>(HIWORD(static_cast<DWORD>(wParam)));
    return GetWkeApi()->wkeFireMouseWheelEvent(m_webView, pt.x, pt.y, delta,
                                               static_cast<unsigned>(wParam) & kMouseFlagsMask);
}

bool CWkeWebkitUI::OnContextMenu(LPARAM lParam)
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // A menu asked for from the keyboard has no position.
    if (pt.x != -1 && pt.y != -1)
        pt = ScreenToView(pt);
    // WM_CONTEXTMENU's wParam is a window, not key states.
    return GetWkeApi()->wkeFireContextMenuEvent(m_webView, pt.x, pt.y, 0);
}

bool CWkeWebkitUI::OnImeStartComposition()
{
    // The view's own input method context places its windows at the caret on this display;
    // the message is only kept from the framework's default handling.
    return true;
}

LPCWSTR CWkeWebkitUI::CursorFor(int cursorType)
{
    switch (cursorType)
    {
    case 2:
        return IDC_HAND;
    case 3:
        return IDC_IBEAM;
    case 4:
        return IDC_WAIT;
    case 5:
        return IDC_HELP;
    case 6:
    case 13:
    case 15:
        return IDC_SIZEWE;
    case 7:
    case 10:
    case 14:
        return IDC_SIZENS;
    case 8:
    case 12:
        return IDC_SIZENESW;
    case 9:
    case 11:
        return IDC_SIZENWSE;
    case 16:
    case 17:
        return IDC_SIZEALL;
    default:
        return IDC_ARROW;
    }
}

bool CWkeWebkitUI::UpdateCursor()
{
    HCURSOR cursor = ::LoadCursorW(nullptr, CursorFor(GetWkeApi()->wkeGetCursorInfoType(m_webView)));
    if (cursor == nullptr)
        return false;
    ::SetCursor(cursor);
    return true;
}

void CWkeWebkitUI::OnTitleChangedCallback(wkeWebView webView, void* param, const wkeString title)
{
    auto* self = static_cast<CWkeWebkitUI*>(param);
    if (self != nullptr && self->m_pListener != nullptr)
        self->m_pListener->OnWkeTitleChanged(webView, title);
}

void CWkeWebkitUI::OnURLChangedCallback(wkeWebView webView, void* param, const wkeString url)
{
    auto* self = static_cast<CWkeWebkitUI*>(param);
    if (self != nullptr && self->m_pListener != nullptr)
        self->m_pListener->OnWkeURLChanged(webView, url);
}

void CWkeWebkitUI::OnLoadingFinishCallback(wkeWebView webView, void* param, const wkeString url,
                                           wkeLoadingResult result, const wkeString failedReason)
{
    auto* self = static_cast<CWkeWebkitUI*>(param);
    if (self != nullptr && self->m_pListener != nullptr)
        self->m_pListener->OnWkeLoadingFinish(webView, url, result, failedReason);
}

bool CWkeWebkitUI::OnNavigationCallback(wkeWebView webView, void* param, wkeNavigationType navigationType,
                                        wkeString url)
{
    auto* self = static_cast<CWkeWebkitUI*>(param);
    if (self == nullptr || self->m_pListener == nullptr)
        return true;
    return self->m_pListener->OnWkeNavigation(webView, navigationType, url);
}

void CWkeWebkitUI::OnPaintUpdatedCallback(wkeWebView webView, void* param, const HDC, int, int, int, int)
{
    auto* self = static_cast<CWkeWebkitUI*>(param);
    if (self != nullptr && webView == self->m_webView)
        self->Invalidate();
}
