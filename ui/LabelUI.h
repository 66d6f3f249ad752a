#pragma once
// A text in a rectangle: font, colours, alignment, padding, end ellipsis, optional markup.

#include "ui/ControlUI.h"

namespace DuiLib
{
class CLabelUI : public CControlUI
{
public:
    CLabelUI() = default;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool bShowHtml = true);

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintText(HDC hDC) override;

protected:
    // The text rectangle and the colours with the manager's defaults filled in.
    RECT TextRect() const;
    void ResolveDefaultColors();
    void DrawLabelText(HDC hDC, const RECT& rc, DWORD dwColor, int iFont);

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding{};
    bool m_bShowHtml = false;
};
} // namespace DuiLib
