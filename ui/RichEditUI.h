#pragma once
// A read-only rich text view (the setup's licence): plain text or an RTF document streamed in,
// word-wrapped to the control's width, with a vertical scroll bar and the wheel. Formatting
// of the document is not kept; its text, paragraphs and tabs are.

#include "ui/ScrollBarUI.h"

// The stream-in interface of rich edit controls.
using EDITSTREAMCALLBACK = DWORD (*)(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
struct EDITSTREAM
{
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
};
constexpr int SF_TEXT = 0x0001;
constexpr int SF_RTF = 0x0002;
constexpr int SFF_SELECTION = 0x8000;

namespace DuiLib
{
class CRichEditUI : public CControlUI
{
public:
    CRichEditUI();
    ~CRichEditUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetText(LPCTSTR pstrText) override;
    void AppendText(LPCTSTR pstrText);
    int GetTextLength() const { return m_sText.GetLength(); }
    // Reads the stream to its end through the callback: SF_TEXT is UTF-8 text, SF_RTF an RTF
    // document. With SFF_SELECTION the text goes after the present text, else replaces it.
    // Returns the characters taken in; es.dwError holds the callback's error, if any.
    LONG StreamIn(int nFormat, EDITSTREAM& es);
    void SetRtf(const char* pData, std::size_t nSize, bool bAppend = false);

    CScrollBarUI* GetVerticalScrollBar() const { return m_pVScroll; }
    int GetScrollPos() const { return m_pVScroll->GetScrollPos(); }
    int GetScrollRange() const { return m_pVScroll->GetScrollRange(); }
    void SetScrollPos(int nPos) { m_pVScroll->SetScrollPos(nPos); }
    // The height of the wrapped text at the present width.
    int GetContentHeight() const { return m_nContentHeight; }

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    RECT TextArea() const;
    int MeasureHeight(int width);
    void Relayout();
    int LineHeight();

    CScrollBarUI* m_pVScroll;
    bool m_bScrollEnabled = true;
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    RECT m_rcTextPadding{};
    int m_nContentHeight = 0;
};
} // namespace DuiLib
