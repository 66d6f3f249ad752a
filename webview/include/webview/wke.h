#pragma once
// The web view engine's interface (libwke.so): offscreen web views whose current image is a
// device context, input fed in as window-message values, events reported through callbacks
// on the UI thread, and native functions bound as global script functions. Every function
// runs on the UI thread, after wkeInitializeEx and before wkeShutdown.

#include "platform/WinTypes.h"

#include <cstdint>

extern "C"
{

    typedef struct wkeWebViewImpl* wkeWebView;
    typedef struct wkeStringImpl* wkeString;
    typedef struct jsExecStateImpl* jsExecState;
    typedef std::int64_t jsValue;

    typedef enum
    {
        WKE_LOADING_SUCCEEDED = 0,
        WKE_LOADING_FAILED = 1,
        WKE_LOADING_CANCELED = 2,
    } wkeLoadingResult;

    typedef enum
    {
        WKE_NAVIGATION_TYPE_LINKCLICK = 0,
        WKE_NAVIGATION_TYPE_FORMSUBMITTE = 1,
        WKE_NAVIGATION_TYPE_BACKFORWARD = 2,
        WKE_NAVIGATION_TYPE_RELOAD = 3,
        WKE_NAVIGATION_TYPE_FORMRESUBMITT = 4,
        WKE_NAVIGATION_TYPE_OTHER = 5,
        // A page asked for a new window; the view never opens one, whatever the answer.
        WKE_NAVIGATION_TYPE_NEWWINDOW = 6,
    } wkeNavigationType;

    // Cursor codes of wkeGetCursorInfoType.
    enum
    {
        WKE_CURSOR_POINTER = 0,
        WKE_CURSOR_HAND = 2,
        WKE_CURSOR_IBEAM = 3,
        WKE_CURSOR_WAIT = 4,
        WKE_CURSOR_HELP = 5,
        WKE_CURSOR_SIZE_WE = 6,
        WKE_CURSOR_SIZE_NS = 7,
        WKE_CURSOR_SIZE_NESW = 8,
        WKE_CURSOR_SIZE_NWSE = 9,
        WKE_CURSOR_MOVE = 16,
    };

    // Modifier bits of the key functions' flags, beside the repeat (0x4000) and extended-key
    // (0x0100) bits of the key message: the state of the modifier keys as the key came.
    enum
    {
        WKE_KEY_SHIFT = 0x04,
        WKE_KEY_CONTROL = 0x08,
        WKE_KEY_ALT = 0x20,
    };

    typedef struct
    {
        int x;
        int y;
        int w;
        int h;
    } wkeRect;

    typedef void (*wkeTitleChangedCallback)(wkeWebView webView, void* param, const wkeString title);
    typedef void (*wkeURLChangedCallback)(wkeWebView webView, void* param, const wkeString url);
    typedef void (*wkeLoadingFinishCallback)(wkeWebView webView, void* param, const wkeString url,
                                             wkeLoadingResult result, const wkeString failedReason);
    typedef bool (*wkeNavigationCallback)(wkeWebView webView, void* param, wkeNavigationType navigationType,
                                          wkeString url);
    typedef void (*wkePaintUpdatedCallback)(wkeWebView webView, void* param, const HDC hdc, int x, int y,
                                            int cx, int cy);
    typedef jsValue (*jsNativeFunction)(jsExecState es);

    // Settings are reserved: pass null.
    void wkeInitializeEx(const void* settings);
    void wkeShutdown();

    wkeWebView wkeCreateWebView();
    void wkeDestroyWebView(wkeWebView webView);

    void wkeOnTitleChanged(wkeWebView webView, wkeTitleChangedCallback callback, void* param);
    void wkeOnURLChanged(wkeWebView webView, wkeURLChangedCallback callback, void* param);
    void wkeOnLoadingFinish(wkeWebView webView, wkeLoadingFinishCallback callback, void* param);
    void wkeOnNavigation(wkeWebView webView, wkeNavigationCallback callback, void* param);
    void wkeOnPaintUpdated(wkeWebView webView, wkePaintUpdatedCallback callback, void* param);
    void wkeSetUserAgent(wkeWebView webView, const char* userAgent);

    // The view's current image, origin at its top-left corner; owned by the view, valid until
    // the next call for the same view. Null before the view has drawn.
    HDC wkeGetViewDC(wkeWebView webView);
    int wkeGetCursorInfoType(wkeWebView webView);
    // The address of the page shown (UTF-8, owned by the view), or "".
    const char* wkeGetURL(wkeWebView webView);
    const wchar_t* wkeGetStringW(const wkeString string);

    void wkeLoadURLW(wkeWebView webView, const wchar_t* url);
    void wkeReload(wkeWebView webView);
    void wkeResize(wkeWebView webView, int width, int height);
    int wkeGetWidth(wkeWebView webView);
    int wkeGetHeight(wkeWebView webView);
    // Mouse messages (WM_MOUSEMOVE ... WM_MBUTTONDBLCLK) at view coordinates with MK_ flags.
    bool wkeFireMouseEvent(wkeWebView webView, unsigned int message, int x, int y, unsigned int flags);
    bool wkeFireContextMenuEvent(wkeWebView webView, int x, int y, unsigned int flags);
    bool wkeFireMouseWheelEvent(wkeWebView webView, int x, int y, int delta, unsigned int flags);
    // Keys as a view on the screen gets them from GTK. A key down of a key that types no character
    // (arrows, Enter, F1 ...) or of a letter or digit held with Ctrl (a shortcut) is used; other
    // characters arrive once, through wkeFireKeyPressEvent. A control character (Ctrl+A is 1, Tab
    // 9, ...) is a key event of its own unless the key down just before brought it.
    bool wkeFireKeyUpEvent(wkeWebView webView, unsigned int virtualKeyCode, unsigned int flags,
                           bool systemKey);
    bool wkeFireKeyDownEvent(wkeWebView webView, unsigned int virtualKeyCode, unsigned int flags,
                             bool systemKey);
    bool wkeFireKeyPressEvent(wkeWebView webView, unsigned int charCode, unsigned int flags, bool systemKey);
    void wkeSetFocus(wkeWebView webView);
    void wkeKillFocus(wkeWebView webView);
    wkeRect wkeGetCaret(wkeWebView webView);
    void wkeRunJSW(wkeWebView webView, const wchar_t* script);

    // Binds a global script function of every page of every view; call before the first load.
    void jsBindFunction(const char* name, jsNativeFunction fn, unsigned int argCount);
    int jsArgCount(jsExecState es);
    jsValue jsArg(jsExecState es, int argIdx);
    // Owned by the engine, valid until the native function returns.
    const wchar_t* jsToTempStringW(jsExecState es, jsValue value);
    jsValue jsUndefined();
    // The view whose page called the native function.
    wkeWebView jsGetWebView(jsExecState es);
}
