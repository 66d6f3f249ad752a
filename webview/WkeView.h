#pragma once
// One offscreen web view: a WebKitWebView in a GtkOffscreenWindow, its image kept as a device
// context, its events turned into the wke callbacks, and input fed in from window messages.

#include "wke.h"

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
    bool SendEvent(GdkEvent* event);
    void Focus(bool in);
    void RunScript(const std::string& script);

    GtkWidget* window = nullptr;
    GtkWidget* web = nullptr;
    WebKitUserContentManager* content = nullptr;
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
    cairo_surface_t* image = nullptr;
    cairo_t* imageCairo = nullptr;
    HDC imageDC = nullptr;
    bool dirty = true;

private:
    void ConnectSignals();
    void InstallScript();
    void ReleaseImage();
};
