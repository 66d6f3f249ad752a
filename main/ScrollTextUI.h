#pragma once
// One line of text scrolling right to left (skin tag "ScrollTextUI"): "speed" pixels every
// 20 ms once the pointer has passed over it, paused while the pointer is over the text,
// drawn in "hfont" then, and clickable ("click" when the left button is released on it).

#include "ui/TextUI.h"

constexpr UINT SCROLL_TIMER_ID = 13;

class CScrollTextUI : public DuiLib::CTextUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    void SetText(LPCTSTR pstrText) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(DuiLib::TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintText(HDC hDC) override;
    virtual void ScrollStep();

    int GetOffset() const { return m_nOffset; }
    int GetTextWidth() const { return m_nTextWidth; }
    bool IsHot() const { return m_bHot; }

private:
    void MeasureText();

    bool m_bHot = false;
    int m_iHoverFont = -1;
    int m_nSpeed = 1;
    int m_nOffset = 0;
    int m_nTextWidth = 0;
    RECT m_rcText{};
};
