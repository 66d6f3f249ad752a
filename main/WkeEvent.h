#pragma once
// The receiver of a web view's events (the main window).

#include "webview/wke.h"

class IWkeEvent
{
public:
    // True lets the navigation go on.
    virtual bool OnWkeNavigation(wkeWebView webView, int navigationType, wkeString url) = 0;
    // result: 0 succeeded, 1 failed, 2 cancelled.
    virtual void OnWkeLoadingFinish(wkeWebView webView, wkeString url, int result,
                                    wkeString failedReason) = 0;
    virtual void OnWkeTitleChanged(wkeWebView webView, wkeString title) = 0;
    virtual void OnWkeURLChanged(wkeWebView webView, wkeString url) = 0;

protected:
    ~IWkeEvent() = default;
};
