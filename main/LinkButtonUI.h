#pragma once
// A button whose text takes a second font (attribute "hFont") while the pointer is over it
// or it is held down; everything else is the plain button's (skin tag "LinkButton").

#include "ui/ButtonUI.h"

class CLinkButtonUI : public DuiLib::CButtonUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintText(HDC hDC) override;

    int GetHoverFont() const { return m_iHoverFont; }
    void SetHoverFont(int index);

private:
    int m_iHoverFont = -1; // none: the label's font in every state
};

using CLinkButton = CLinkButtonUI;
