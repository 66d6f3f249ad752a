#pragma once
// The web view control (skin tag "wkeWebkit"): owns one view of the engine, paints the view's
// image, forwards the window's mouse, wheel, key and focus input to it while visible, shows
// the cursor the page asks for and reports the view's events to one listener. Without the
// engine it has no view and paints as a plain control.

#include "ui/ControlUI.h"

#include "main/WkeEvent.h"

class CWkeWebkitUI : public DuiLib::CControlUI, public DuiLib::IMessageFilterUI
{
public:
    CWkeWebkitUI() = default;
    CWkeWebkitUI(const CWkeWebkitUI&) = delete;
    CWkeWebkitUI& operator=(const CWkeWebkitUI&) = delete;
    ~CWkeWebkitUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoInit() override;
    void DoEvent(DuiLib::TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    void SetListener(IWkeEvent* listener) { m_pListener = listener; }
    wkeWebView GetWebView() const { return m_webView; }
    int GetAlpha() const { return m_nAlpha; }

    // The system cursor for an engine cursor code.
    static LPCWSTR CursorFor(int cursorType);

    static void OnTitleChangedCallback(wkeWebView webView, void* param, const wkeString title);
    static void OnURLChangedCallback(wkeWebView webView, void* param, const wkeString url);
    static void OnLoadingFinishCallback(wkeWebView webView, void* param, const wkeString url,
                                        wkeLoadingResult result, const wkeString failedReason);
    static bool OnNavigationCallback(wkeWebView webView, void* param, wkeNavigationType navigationType,
                                     wkeString url);
    static void OnPaintUpdatedCallback(wkeWebView webView, void* param, const HDC hdc, int x, int y, int cx,
                                       int cy);

private:
    bool OnMouseEvent(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnMouseWheel(WPARAM wParam, LPARAM lParam);
    bool OnContextMenu(LPARAM lParam);
    bool OnImeStartComposition();
    bool UpdateCursor();
    // Follows Shift, Ctrl and Alt through the window's key messages (WKE_KEY_ bits).
    void TrackModifier(unsigned virtualKey, bool down);
    // A screen point in view coordinates.
    POINT ScreenToView(POINT pt) const;

    wkeWebView m_webView = nullptr;
    int m_nAlpha = 255;
    IWkeEvent* m_pListener = nullptr;
    bool m_bFiltering = false;
    unsigned m_nModifiers = 0;
};
