#pragma once
// A list row that is just a text, drawn with its owner's item font, padding and state colours.

#include "ui/ListContainerElementUI.h"

namespace DuiLib
{
class CListLabelElementUI : public CListContainerElementUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;
    // Draws the text into rc (the combo shows its selected item this way).
    void DrawItemText(HDC hDC, const RECT& rc, DWORD dwDefaultColor);
};
} // namespace DuiLib
