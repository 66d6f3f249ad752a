#include "ui/WndShadow.h"

#include "ui/RenderEngine.h"

#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/Owned.h"
#include "platform/WinError.h"

#include <algorithm>
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
    if (g_useWindow)
    {
        // Not owned by the window it shadows: an owned window would be kept above its owner.
        m_hWnd =
            ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                              kShadowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, g_instance, this);
        if (m_hWnd == nullptr)
            return false;
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    else
    {
        m_pOwnerManager = CPaintManagerUI::FromWindow(hParentWnd);
        if (m_pOwnerManager)
            m_pOwnerManager->AddPaintOverlay(this);
    }
    m_hParent = hParentWnd;
    // Both ways need to hear of the owner's end; the window also follows its moves.
    m_parentProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hParentWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndShadow::ParentProc)));
    g_shadows[hParentWnd] = this;
    Follow();
    RepaintOwner();
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
    RepaintOwner();
    return loaded;
}

void CWndShadow::RepaintOwner() const
{
    if (m_pOwnerManager && ::IsWindow(m_hParent))
        ::InvalidateRect(m_hParent, nullptr, FALSE);
}

void CWndShadow::Detach()
{
    if (m_hParent && m_parentProc && ::IsWindow(m_hParent))
        ::SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_parentProc));
    g_shadows.erase(m_hParent);
    if (m_pOwnerManager)
    {
        m_pOwnerManager->RemovePaintOverlay(this);
        RepaintOwner();
        m_pOwnerManager = nullptr;
    }
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
    if (m_hWnd == nullptr)
        return;
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

void CWndShadow::PaintOverlay(cairo_t* cr, const RECT& rcClient)
{
    if (m_image.surface == nullptr)
        return;
    const int imageW = cairo_image_surface_get_width(m_image.surface);
    const int imageH = cairo_image_surface_get_height(m_image.surface);
    const int midW = imageW - m_rcCorner.left - m_rcCorner.right;
    const int midH = imageH - m_rcCorner.top - m_rcCorner.bottom;
    const int w = rcClient.right - rcClient.left;
    const int h = rcClient.bottom - rcClient.top;
    if (midW <= 0 || midH <= 0 || w <= 0 || h <= 0)
        return;
    const int left = std::min<int>(kInnerDepth, m_rcCorner.left);
    const int top = std::min<int>(kInnerDepth, m_rcCorner.top);
    const int right = std::min<int>(kInnerDepth, m_rcCorner.right);
    const int bottom = std::min<int>(kInnerDepth, m_rcCorner.bottom);
    const double alongX = static_cast<double>(midW) / w;
    const double alongY = static_cast<double>(midH) / h;
    cairo_translate(cr, rcClient.left, rcClient.top);
    // Each edge band is the part of the border next to the image's middle, mirrored so that
    // its darkest pixels lie on the window's edge, and stretched along the edge. The bands
    // overlap in the corners, which come out darkest as in a recess.
    const int innerRight = imageW - m_rcCorner.right;
    const int innerBottom = imageH - m_rcCorner.bottom;
    PaintBand(cr, RECT{m_rcCorner.left, m_rcCorner.top - top, innerRight, m_rcCorner.top}, RECT{0, 0, w, top},
              cairo_matrix_t{alongX, 0, 0, -1, 0, static_cast<double>(top)});
    PaintBand(cr, RECT{m_rcCorner.left, innerBottom, innerRight, innerBottom + bottom},
              RECT{0, h - bottom, w, h}, cairo_matrix_t{alongX, 0, 0, -1, 0, static_cast<double>(h)});
    PaintBand(cr, RECT{m_rcCorner.left - left, m_rcCorner.top, m_rcCorner.left, innerBottom},
              RECT{0, 0, left, h}, cairo_matrix_t{-1, 0, 0, alongY, static_cast<double>(left), 0});
    PaintBand(cr, RECT{innerRight, m_rcCorner.top, innerRight + right, innerBottom}, RECT{w - right, 0, w, h},
              cairo_matrix_t{-1, 0, 0, alongY, static_cast<double>(w), 0});
}

void CWndShadow::PaintBand(cairo_t* cr, const RECT& part, const RECT& dest,
                           const cairo_matrix_t& toPart) const
{
    if (part.right <= part.left || part.bottom <= part.top || dest.right <= dest.left)
        return;
    // A sub-surface keeps the stretched samples from reaching into the neighbouring parts.
    const platform::CairoSurfacePtr piece(cairo_surface_create_for_rectangle(
        m_image.surface, part.left, part.top, part.right - part.left, part.bottom - part.top));
    const platform::CairoPatternPtr pattern(cairo_pattern_create_for_surface(piece.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    cairo_pattern_set_matrix(pattern.get(), &toPart);
    cairo_set_source(cr, pattern.get());
    cairo_rectangle(cr, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top);
    cairo_fill(cr);
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
