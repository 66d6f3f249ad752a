// Painting. Layout is lazy: NeedUpdate() only marks the tree, and it is laid out at the next
// paint or mouse message; the first layout sends "windowinit". Every paint renders the damaged
// area into a back buffer of the client size and copies it to the window, so controls never
// draw straight onto the screen. Overlays are drawn over the controls, in the order added.

#include "ui/PaintManagerParts.h"

#include "platform/Gdi.h"

namespace DuiLib
{
void CPaintManagerUI::Invalidate()
{
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::Invalidate(const RECT& rcItem)
{
    if (m_hWndPaint && !CDuiRect(rcItem).IsEmpty())
        ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::UpdateLayout()
{
    if (m_pRoot == nullptr || !m_bUpdateNeeded)
        return;
    m_bUpdateNeeded = false;
    RECT client{};
    if (m_hWndPaint)
        ::GetClientRect(m_hWndPaint, &client);
    if (CDuiRect(client).IsEmpty())
        return;
    m_pRoot->SetPos(client, true);
    if (m_bFirstLayout && m_pRoot)
    {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT);
    }
}

void CPaintManagerUI::RenderTo(cairo_t* cr, const RECT& rcPaint)
{
    HDC dc = platform::CreateCairoDC(cr);
    cairo_save(cr);
    cairo_rectangle(cr, rcPaint.left, rcPaint.top, rcPaint.right - rcPaint.left,
                    rcPaint.bottom - rcPaint.top);
    cairo_clip(cr);
    // Transparent where nothing paints, so layered windows show through.
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (m_pRoot)
        m_pRoot->DoPaint(dc, rcPaint);
    PaintOverlays(cr);
    cairo_restore(cr);
    platform::DeleteCairoDC(dc);
}

void CPaintManagerUI::PaintOverlays(cairo_t* cr)
{
    RECT client{};
    if (m_paintOverlays.empty() || !::GetClientRect(m_hWndPaint, &client))
        return;
    for (IPaintOverlayUI* overlay : m_paintOverlays)
    {
        cairo_save(cr);
        overlay->PaintOverlay(cr, client);
        cairo_restore(cr);
    }
}

void CPaintManagerUI::OnPaint()
{
    UpdateLayout();
    PAINTSTRUCT ps{};
    HDC hdc = ::BeginPaint(m_hWndPaint, &ps);
    if (hdc == nullptr)
        return;
    RECT client{};
    ::GetClientRect(m_hWndPaint, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    RECT area = ps.rcPaint;
    if (m_offscreen == nullptr || cairo_image_surface_get_width(m_offscreen.get()) != width ||
        cairo_image_surface_get_height(m_offscreen.get()) != height)
    {
        // A new back buffer holds nothing yet: all of it is drawn.
        m_offscreen.reset(
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 1), std::max(height, 1)));
        area = client;
    }
    RenderTo(platform::CairoPtr(cairo_create(m_offscreen.get())).get(), area);
    cairo_t* cr = platform::CairoOf(hdc);
    if (cr)
    {
        cairo_save(cr);
        cairo_rectangle(cr, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                        ps.rcPaint.bottom - ps.rcPaint.top);
        cairo_clip(cr);
        cairo_set_source_surface(cr, m_offscreen.get(), 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    ::EndPaint(m_hWndPaint, &ps);
}
} // namespace DuiLib
