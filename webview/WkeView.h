#pragma once
// One offscreen web view: a WebKitWebView in a GtkOffscreenWindow, its image kept as a device
// context, its events turned into the wke callbacks, and input fed in from window messages.

#include "webview/GdkInput.h"
#include "webview/wke.h"

#include "platform/Owned.h"

#include <webkit2/webkit2.h>

#include <map>
#include <string>
#include <vector>

struct wkeStringImpl
{
    std::wstring text;
};

struct jsExecStateImpl
{
    wkeWebView view;
    std::vector<std::wstring> args;
};

struct wkeWebViewImpl
{
    wkeWebViewImpl();
    ~wkeWebViewImpl();
    wkeWebViewImpl(const wkeWebViewImpl&) = delete;
    wkeWebViewImpl& operator=(const wkeWebViewImpl&) = delete;

    void LoadUrl(const std::string& url);
    void Reload();
    void Resize(int width, int height);
    HDC ViewDC();
    // Hands event (null: none) to the view; true when the view used it.
    bool SendEvent(wkeimpl::GdkEventPtr event);
    // Learns where the view stands on the screen from the pointer, at view point (x, y).
    void Locate(int x, int y);
    void Focus(bool in);
    // Key down or up of a virtual key, and a typed character; flags carry WKE_KEY_ modifiers.
    bool Key(unsigned virtualKey, unsigned flags, bool press);
    bool Char(unsigned charCode, unsigned flags);
    void RunScript(const std::string& script);

    GtkWidget* window = nullptr;
    GtkWidget* web = nullptr;
    platform::GObjectPtr<WebKitUserContentManager> content;
    std::string token;
    // The address last asked for, and the one whose load failed last (empty once a load starts).
    std::string url;
    std::string failedUrl;
    int width = 0;
    // The view's top left corner on the screen, as last seen by a button press.
    int screenX = 0;
    int screenY = 0;
    int height = 0;
    // The cursor of hit testing (links, text), and the one the page's style names under the
    // pointer (-1: none, hit testing decides).
    int cursor = WKE_CURSOR_POINTER;
    int styleCursor = -1;
    bool failed = false;
    // The keyval of each key whose down was sent, for its up; and the control character the
    // last key down brings too (Tab, Enter, Ctrl+A ...), which is then not sent a second time.
    std::map<unsigned, unsigned> keysDown;
    unsigned charOfLastKey = 0;

    wkeTitleChangedCallback onTitle = nullptr;
    void* titleParam = nullptr;
    wkeURLChangedCallback onUrl = nullptr;
    void* urlParam = nullptr;
    wkeLoadingFinishCallback onFinish = nullptr;
    void* finishParam = nullptr;
    wkeNavigationCallback onNavigation = nullptr;
    void* navigationParam = nullptr;
    wkePaintUpdatedCallback onPaint = nullptr;
    void* paintParam = nullptr;

    // The copy of the offscreen image the host paints from, refreshed after damage.
    platform::CairoSurfacePtr image;
    platform::CairoPtr imageCairo;
    HDC imageDC = nullptr;
    bool dirty = true;

private:
    void ConnectSignals();
    void InstallScript();
    void ReleaseImage();
};
