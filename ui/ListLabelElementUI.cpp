#include "ui/ListLabelElementUI.h"

#include "ui/PaintManagerUI.h"
#include "ui/RenderEngine.h"

#include <cwchar>

namespace DuiLib
{
namespace
{
// Room above and below the text of a row that has no height of its own.
constexpr int kTextRowMargin = 8;
} // namespace

LPCTSTR CListLabelElementUI::GetClass() const
{
    return L"ListLabelElementUI";
}

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"ListLabelElement") == 0)
        return this;
    return CListContainerElementUI::GetInterface(pstrName);
}

SIZE CListLabelElementUI::EstimateSize(SIZE szAvailable)
{
    SIZE size = CListContainerElementUI::EstimateSize(szAvailable);
    if (size.cy != 0 || m_pManager == nullptr)
        return size;
    const TListInfoUI* info = ListInfo();
    const int font = info ? info->nFont : -1;
    const SIZE text =
        CRenderEngine::GetTextSize(m_pManager->GetPaintDC(), m_pManager, L"Ag", font, DT_SINGLELINE);
    size.cy = text.cy + kTextRowMargin;
    return size;
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rc, DWORD dwDefaultColor)
{
    if (m_sText.IsEmpty() || m_pManager == nullptr)
        return;
    const TListInfoUI* info = ListInfo();
    DWORD color = StateTextColor();
    if (color == 0)
        color = dwDefaultColor != 0 ? dwDefaultColor : m_pManager->GetDefaultFontColor();
    CDuiRect area(rc);
    if (info != nullptr)
        area.Deflate(info->rcTextPadding);
    const int font = info ? info->nFont : -1;
    const UINT style = info ? info->uTextStyle : (DT_VCENTER | DT_SINGLELINE);
    if (info != nullptr && info->bShowHtml)
    {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, area, m_sText, color, nullptr, nullptr, links, font,
                                    style);
        return;
    }
    CRenderEngine::DrawText(hDC, m_pManager, area, m_sText, color, font, style);
}

void CListLabelElementUI::PaintText(HDC hDC)
{
    DrawItemText(hDC, m_rcItem, 0);
}
} // namespace DuiLib
