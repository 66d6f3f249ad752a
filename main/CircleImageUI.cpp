#include "main/CircleImageUI.h"

#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include "platform/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <numbers>

CCircleImageUI::~CCircleImageUI()
{
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, CIRCLE_TIMER_ID);
    if (m_pImage != nullptr)
        cairo_surface_destroy(m_pImage);
}

LPCTSTR CCircleImageUI::GetClass() const
{
    return L"CircleImage";
}

LPVOID CCircleImageUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"CircleImage") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void CCircleImageUI::DoEvent(DuiLib::TEventUI& event)
{
    CButtonUI::DoEvent(event);
    if (event.Type != DuiLib::UIEVENT_TIMER || event.wParam != CIRCLE_TIMER_ID)
        return;
    // 360 itself stays, so a turn of 30 shows 330, 360, then 30.
    const int sum = m_nAngle + m_nSpeed;
    m_nAngle = sum > 360 ? sum % 360 : sum;
    Invalidate();
}

void CCircleImageUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"speed") != 0)
    {
        CButtonUI::SetAttribute(pstrName, pstrValue);
        return;
    }
    // Kept within one turn so that the angle cannot overflow at any speed.
    m_nSpeed = static_cast<int>(std::wcstoul(pstrValue, nullptr, 10) % 360);
    if (m_pManager != nullptr)
        m_pManager->SetTimer(this, CIRCLE_TIMER_ID, 100);
}

void CCircleImageUI::PaintBkImage(HDC hDC)
{
    if (m_sBkImage.IsEmpty())
    {
        CButtonUI::PaintBkImage(hDC);
        return;
    }
    if (!m_bImageTried)
    {
        m_bImageTried = true;
        DuiLib::TImageInfo info;
        if (DuiLib::CRenderEngine::LoadImage(m_sBkImage, info))
            m_pImage = info.surface;
    }
    if (m_pImage == nullptr)
        return;
    cairo_t* cr = platform::CairoOf(hDC);
    const int cx = m_rcItem.left + (m_rcItem.right - m_rcItem.left) / 2;
    const int cy = m_rcItem.top + (m_rcItem.bottom - m_rcItem.top) / 2;
    const int width = cairo_image_surface_get_width(m_pImage);
    const int height = cairo_image_surface_get_height(m_pImage);
    cairo_save(cr);
    cairo_rectangle(cr, m_rcPaint.left, m_rcPaint.top, m_rcPaint.right - m_rcPaint.left,
                    m_rcPaint.bottom - m_rcPaint.top);
    cairo_clip(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, m_nAngle * std::numbers::pi / 180.0);
    cairo_translate(cr, -cx, -cy);
    cairo_set_source_surface(cr, m_pImage, cx - width / 2, cy - height / 2);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}
