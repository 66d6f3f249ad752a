#pragma once
// One offscreen web view: a WebKitWebView in a GtkOffscreenWindow, its image kept as a device
// context, its events turned into the wke callbacks, and input fed in from window messages.

#include "GdkInput.h"
#include "wke.h"

#include "platform/Owned.h"

#include <webkit2/webkit2.h>

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
    void Focus(bool in);
    void RunScript(const std::string& script);

    GtkWidget* window = nullptr;
    GtkWidget* web = nullptr;
    platform::GObjectPtr<WebKitUserContentManager> content;
    std::string token;
    std::string url;
    int width = 0;
    int height = 0;
    int cursor = WKE_CURSOR_POINTER;
    bool failed = false;

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
