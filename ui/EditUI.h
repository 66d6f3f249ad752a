#pragma once
// A single-line text field drawn by the framework itself: caret, selection, horizontal
// scrolling of long text. Typed characters arrive as character events (so text committed by an
// input method arrives the same way), editing keys as key events. "textchanged" follows every
// edit by the user, "return" the Enter key; the framework sends "killfocus" when it loses focus.

#include "ui/LabelUI.h"

#include <algorithm>
#include <string>

namespace DuiLib
{
class CEditUI : public CLabelUI
{
public:
    CEditUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    // Text set by the program is cut to the maximum length; the caret goes to its end.
    void SetText(LPCTSTR pstrText) override;
    void SetEnabled(bool bEnable = true) override;
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetMaxChar(UINT uMax);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool bReadOnly);
    bool IsNumberOnly() const { return m_bNumberOnly; }
    void SetNumberOnly(bool bNumberOnly);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordMode(bool bPasswordMode);
    void SetPasswordChar(TCHAR cPasswordChar);

    // Selection as [start, end) character positions; the caret sits at end.
    void SetSel(int nStart, int nEnd);
    void SetSelAll() { SetSel(0, GetTextLength()); }
    int GetSelStart() const { return std::min(m_nAnchor, m_nCaret); }
    int GetSelEnd() const { return std::max(m_nAnchor, m_nCaret); }
    int GetCaret() const { return m_nCaret; }
    int GetTextLength() const { return m_sText.GetLength(); }
    // Replaces the selection as typing would (filters and limits applied); false when refused.
    bool ReplaceSel(LPCTSTR pstrText);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

private:
    std::wstring Shown() const;
    std::wstring Accepted(const std::wstring& text) const;
    int TextWidth(HDC hDC, const std::wstring& text, int nChars) const;
    // The x of the text's first character, scrolling the text so that the caret shows.
    int TextOrigin(HDC hDC);
    int HitTest(POINT pt);
    void MoveCaret(int nPos, bool bExtend);
    void EraseSelection();
    void OnEdited();
    bool HandleKey(TEventUI& event);
    void HandleChar(TCHAR ch);
    void Copy() const;

    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bNumberOnly = false;
    bool m_bPasswordMode = false;
    TCHAR m_cPasswordChar = L'*';
    bool m_bShift = false;
    bool m_bSelecting = false;
    bool m_bHot = false;
    int m_nCaret = 0;
    int m_nAnchor = 0;
    int m_nScrollX = 0;
    DWORD m_dwSelectedBkColor = 0xFF3399FF;
    DWORD m_dwNativeBkColor = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
};
} // namespace DuiLib
