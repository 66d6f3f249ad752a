#pragma once
// A menu row without a command (a caption or a separator): drawn as a plain container.

#include "ui/UIlib.h"

class CStaticMenuElementUI : public DuiLib::CListContainerElementUI
{
public:
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
};
