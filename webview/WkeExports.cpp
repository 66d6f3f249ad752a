// The exported functions of libwke.so: the C interface over the engine and its views.

#include "webview/GdkInput.h"
#include "webview/WkeEngine.h"
#include "webview/WkeView.h"

#include "platform/Utf.h"

#define WKE_EXPORT extern "C" __attribute__((visibility("default")))

using wkeimpl::WkeEngine;

WKE_EXPORT void wkeInitializeEx(const void*)
{
    WkeEngine::Instance().Initialize();
}

WKE_EXPORT void wkeShutdown()
{
    WkeEngine::Instance().Shutdown();
}

WKE_EXPORT wkeWebView wkeCreateWebView()
{
    if (WkeEngine::Instance().Context() == nullptr)
        return nullptr;
    return new wkeWebViewImpl;
}

WKE_EXPORT void wkeDestroyWebView(wkeWebView webView)
{
    delete webView;
}

WKE_EXPORT void wkeOnTitleChanged(wkeWebView webView, wkeTitleChangedCallback callback, void* param)
{
    webView->onTitle = callback;
    webView->titleParam = param;
}

WKE_EXPORT void wkeOnURLChanged(wkeWebView webView, wkeURLChangedCallback callback, void* param)
{
    webView->onUrl = callback;
    webView->urlParam = param;
}

WKE_EXPORT void wkeOnLoadingFinish(wkeWebView webView, wkeLoadingFinishCallback callback, void* param)
{
    webView->onFinish = callback;
    webView->finishParam = param;
}

WKE_EXPORT void wkeOnNavigation(wkeWebView webView, wkeNavigationCallback callback, void* param)
{
    webView->onNavigation = callback;
    webView->navigationParam = param;
}

WKE_EXPORT void wkeOnPaintUpdated(wkeWebView webView, wkePaintUpdatedCallback callback, void* param)
{
    webView->onPaint = callback;
    webView->paintParam = param;
}

WKE_EXPORT void wkeSetUserAgent(wkeWebView webView, const char* userAgent)
{
    webkit_settings_set_user_agent(webkit_web_view_get_settings(WEBKIT_WEB_VIEW(webView->web)), userAgent);
}

WKE_EXPORT HDC wkeGetViewDC(wkeWebView webView)
{
    return webView->ViewDC();
}

WKE_EXPORT int wkeGetCursorInfoType(wkeWebView webView)
{
    return webView->styleCursor >= 0 ? webView->styleCursor : webView->cursor;
}

WKE_EXPORT const char* wkeGetURL(wkeWebView webView)
{
    const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(webView->web));
    return uri != nullptr ? uri : "";
}

WKE_EXPORT const wchar_t* wkeGetStringW(const wkeString string)
{
    return string != nullptr ? string->text.c_str() : L"";
}

WKE_EXPORT void wkeLoadURLW(wkeWebView webView, const wchar_t* url)
{
    webView->LoadUrl(platform::ToUtf8(url != nullptr ? url : L""));
}

WKE_EXPORT void wkeReload(wkeWebView webView)
{
    webView->Reload();
}

WKE_EXPORT void wkeResize(wkeWebView webView, int width, int height)
{
    webView->Resize(width, height);
}

WKE_EXPORT int wkeGetWidth(wkeWebView webView)
{
    return webView->width;
}

WKE_EXPORT int wkeGetHeight(wkeWebView webView)
{
    return webView->height;
}

WKE_EXPORT bool wkeFireMouseEvent(wkeWebView webView, unsigned int message, int x, int y, unsigned int flags)
{
    // A press may open the engine's context menu: it opens where the view stands on the screen.
    if (message == 0x0201 || message == 0x0204 || message == 0x0207)
        webView->Locate(x, y);
    return webView->SendEvent(wkeimpl::MouseEvent(webView->web, message, x, y, flags));
}

WKE_EXPORT bool wkeFireContextMenuEvent(wkeWebView, int, int, unsigned int)
{
    return false; // the view shows no menu of its own
}

WKE_EXPORT bool wkeFireMouseWheelEvent(wkeWebView webView, int x, int y, int delta, unsigned int flags)
{
    return webView->SendEvent(wkeimpl::ScrollEvent(webView->web, x, y, delta, flags));
}

WKE_EXPORT bool wkeFireKeyUpEvent(wkeWebView webView, unsigned int virtualKeyCode, unsigned int flags, bool)
{
    return webView->Key(virtualKeyCode, flags, false);
}

WKE_EXPORT bool wkeFireKeyDownEvent(wkeWebView webView, unsigned int virtualKeyCode, unsigned int flags, bool)
{
    return webView->Key(virtualKeyCode, flags, true);
}

WKE_EXPORT bool wkeFireKeyPressEvent(wkeWebView webView, unsigned int charCode, unsigned int flags, bool)
{
    return webView->Char(charCode, flags);
}

WKE_EXPORT void wkeSetFocus(wkeWebView webView)
{
    webView->Focus(true);
}

WKE_EXPORT void wkeKillFocus(wkeWebView webView)
{
    webView->Focus(false);
}

WKE_EXPORT wkeRect wkeGetCaret(wkeWebView)
{
    return wkeRect{0, 0, 0, 0};
}

WKE_EXPORT void wkeRunJSW(wkeWebView webView, const wchar_t* script)
{
    webView->RunScript(platform::ToUtf8(script != nullptr ? script : L""));
}

WKE_EXPORT void jsBindFunction(const char* name, jsNativeFunction fn, unsigned int argCount)
{
    WkeEngine::Instance().Bind(name, fn, argCount);
}

WKE_EXPORT int jsArgCount(jsExecState es)
{
    return static_cast<int>(es->args.size());
}

WKE_EXPORT jsValue jsArg(jsExecState es, int argIdx)
{
    // Arguments are numbered from 1; 0 stands for undefined.
    return argIdx >= 0 && argIdx < static_cast<int>(es->args.size()) ? argIdx + 1 : 0;
}

WKE_EXPORT const wchar_t* jsToTempStringW(jsExecState es, jsValue value)
{
    if (value <= 0 || value > static_cast<jsValue>(es->args.size()))
        return L"";
    return es->args[static_cast<size_t>(value - 1)].c_str();
}

WKE_EXPORT jsValue jsUndefined()
{
    return 0;
}

WKE_EXPORT wkeWebView jsGetWebView(jsExecState es)
{
    return es->view;
}
