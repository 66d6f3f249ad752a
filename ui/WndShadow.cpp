#include "WndShadow.h"

#include "RenderEngine.h"

#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/WinError.h"

#include <map>

namespace DuiLib
{
namespace
{
constexpr LPCTSTR kShadowClass = L"PictavoWndShadow";

bool g_initialized = false;
bool g_useWindow = false;
HINSTANCE g_instance = nullptr;
// Owner window -> its shadow, for the owner's subclass procedure (UI thread only).
std::map<HWND, CWndShadow*> g_shadows;
} // namespace

bool CWndShadow::Initialize(HINSTANCE hInstance)
{
    if (g_initialized)
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CWndShadow::ShadowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kShadowClass;
    if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    g_instance = hInstance;
    g_useWindow = platform::IsCompositing();
    g_initialized = true;
    return true;
}

void CWndShadow::SetUseShadowWindow(bool bUse)
{
    g_useWindow = bUse;
}

bool CWndShadow::IsUsingShadowWindow()
{
    return g_useWindow;
}

CWndShadow::~CWndShadow()
{
    Detach();
    CRenderEngine::FreeImage(m_image);
}

bool CWndShadow::Create(HWND hParentWnd)
{
    if (!g_initialized || hParentWnd == nullptr || !::IsWindow(hParentWnd) || m_hParent != nullptr)
        return false;
    m_hParent = hParentWnd;
    if (!g_useWindow)
        return true;
    // Not owned by the window it shadows: an owned window would be kept above its owner.
    m_hWnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                               kShadowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, g_instance, this);
    if (m_hWnd == nullptr)
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_parentProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hParentWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndShadow::ParentProc)));
    g_shadows[hParentWnd] = this;
    Follow();
    return true;
}

bool CWndShadow::SetImage(LPCTSTR szImage, RECT rcCorner, RECT rcHoleOffset)
{
    m_sImage = szImage ? szImage : L"";
    m_rcCorner = rcCorner;
    m_rcHoleOffset = rcHoleOffset;
    CRenderEngine::FreeImage(m_image);
    const bool loaded = CRenderEngine::LoadImage(m_sImage, m_image);
    Follow();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return loaded;
}

void CWndShadow::Detach()
{
    if (m_hParent && m_parentProc && ::IsWindow(m_hParent))
        ::SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_parentProc));
    g_shadows.erase(m_hParent);
    if (m_hWnd && ::IsWindow(m_hWnd))
    {
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
    m_parentProc = nullptr;
}

RECT CWndShadow::ShadowRect() const
{
    RECT rc{};
    ::GetWindowRect(m_hParent, &rc);
    rc.left -= m_rcCorner.left;
    rc.top -= m_rcCorner.top;
    rc.right += m_rcCorner.right;
    rc.bottom += m_rcCorner.bottom;
    return rc;
}

void CWndShadow::Follow()
{
    if (m_hWnd == nullptr)
        return;
    const bool show = ::IsWindowVisible(m_hParent) && !::IsIconic(m_hParent) && m_image.surface != nullptr;
    if (!show)
    {
        ::ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    const RECT rc = ShadowRect();
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (::IsWindowVisible(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    // The owner goes back above its new shadow.
    ::SetWindowPos(m_hParent, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CWndShadow::OnParentMessage(UINT uMsg, WPARAM wParam)
{
    switch (uMsg)
    {
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
        Follow();
        break;
    case WM_SHOWWINDOW:
        // Sent before the owner's visibility changes.
        if (wParam == FALSE)
            ::ShowWindow(m_hWnd, SW_HIDE);
        else
            ::PostMessageW(m_hWnd, WM_USER, 0, 0);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK CWndShadow::ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const auto found = g_shadows.find(hWnd);
    if (found == g_shadows.end())
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    CWndShadow* shadow = found->second;
    const WNDPROC original = shadow->m_parentProc;
    if (uMsg == WM_DESTROY)
    {
        // The shadow goes with its owner; the object may outlive both.
        shadow->Detach();
        return ::CallWindowProcW(original, hWnd, uMsg, wParam, lParam);
    }
    const LRESULT result = ::CallWindowProcW(original, hWnd, uMsg, wParam, lParam);
    // The owner's procedure may have destroyed it.
    if (g_shadows.count(hWnd) != 0)
        shadow->OnParentMessage(uMsg, wParam);
    return result;
}

void CWndShadow::Paint()
{
    PAINTSTRUCT ps{};
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    cairo_t* cr = platform::CairoOf(hDC);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (cr != nullptr)
    {
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
        const RECT whole{0, 0, cairo_image_surface_get_width(m_image.surface),
                         cairo_image_surface_get_height(m_image.surface)};
        CRenderEngine::DrawImage(hDC, m_image, client, client, whole, m_rcCorner);
        // The owner's own area stays clear.
        const RECT hole{m_rcCorner.left + m_rcHoleOffset.left, m_rcCorner.top + m_rcHoleOffset.top,
                        client.right - m_rcCorner.right - m_rcHoleOffset.right,
                        client.bottom - m_rcCorner.bottom - m_rcHoleOffset.bottom};
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_rectangle(cr, hole.left, hole.top, hole.right - hole.left, hole.bottom - hole.top);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CALLBACK CWndShadow::ShadowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* shadow = reinterpret_cast<CWndShadow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (shadow == nullptr)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    switch (uMsg)
    {
    case WM_PAINT:
        if (shadow->m_image.surface != nullptr)
        {
            shadow->Paint();
            return 0;
        }
        break;
    case WM_USER:
        // The owner became visible after its WM_SHOWWINDOW.
        shadow->Follow();
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        break;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
} // namespace DuiLib
