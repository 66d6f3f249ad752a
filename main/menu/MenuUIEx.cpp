#include "main/menu/MenuUIEx.h"

#include "main/menu/MenuElementUI.h"

using namespace DuiLib;

void MenuUIEx::OnItemHot(CMenuElementUI* pItem)
{
    Paint(pItem, 0xFF67BBFF, 0xFFFFFFFF, true);
}

void MenuUIEx::OnItemNormal(CMenuElementUI* pItem)
{
    Paint(pItem, 0x00FFFFFF, 0xFF000000, false);
}

void MenuUIEx::Paint(CMenuElementUI* pItem, DWORD background, DWORD text, bool hot)
{
    if (pItem == nullptr || !pItem->IsEnabled())
        return;
    pItem->SetBkColor(background);
    // A row without a label still changes its background.
    if (auto* label = dynamic_cast<CLabelUI*>(pItem->FindSubControl(L"menu_label")))
        label->SetTextColor(text);
    ShowPair(pItem, L"ico", L"ico_hover", hot);
    ShowPair(pItem, L"extend", L"extend_hover", hot);
}

void MenuUIEx::ShowPair(CMenuElementUI* pItem, LPCTSTR normal, LPCTSTR hover, bool hot)
{
    CControlUI* normalControl = pItem->FindSubControl(normal);
    CControlUI* hoverControl = pItem->FindSubControl(hover);
    if (normalControl == nullptr || hoverControl == nullptr)
        return;
    normalControl->SetVisible(!hot);
    hoverControl->SetVisible(hot);
}
