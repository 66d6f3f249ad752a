#pragma once
// A menu list with the product's hover look: the hot row turns blue with a white label, and
// rows that carry icon or arrow pairs show their hover variant.

#include "main/menu/MenuUI.h"

class MenuUIEx : public CMenuUI
{
public:
    void OnItemHot(CMenuElementUI* pItem) override;
    void OnItemNormal(CMenuElementUI* pItem) override;

private:
    void ShowPair(CMenuElementUI* pItem, LPCTSTR normal, LPCTSTR hover, bool hot);
    void Paint(CMenuElementUI* pItem, DWORD background, DWORD text, bool hot);
};
