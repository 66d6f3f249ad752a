#pragma once
// A label that takes clicks: state images (normal, hot, pushed, focused, disabled), state text
// colours, and the "click" notification when the mouse is released inside it.

#include "ui/LabelUI.h"

namespace DuiLib
{
class CButtonUI : public CLabelUI
{
public:
    CButtonUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    bool GetIgnoreCaption() const override { return true; }
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;

    UINT GetButtonState() const { return m_uButtonState; }
    LPCTSTR GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(LPCTSTR pStrImage);
    void SetHotImage(LPCTSTR pStrImage);
    void SetPushedImage(LPCTSTR pStrImage);
    void SetFocusedImage(LPCTSTR pStrImage);
    void SetDisabledImage(LPCTSTR pStrImage);
    void SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
    void SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
    void SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }
    void SetHotBkColor(DWORD dwColor) { m_dwHotBkColor = dwColor; }

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    // Brings the focused and disabled bits of the state up to date.
    void RefreshStateFlags();
    // The text colour for the current state (pushed, hot, focused over the base colour).
    DWORD StateTextColor(DWORD dwBase) const;
    bool HandleMouseEvent(TEventUI& event);

    UINT m_uButtonState = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
    DWORD m_dwHotBkColor = 0;
};
} // namespace DuiLib
