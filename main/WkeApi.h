#pragma once
// The web view engine as the main program reaches it: libwke.so beside the program, loaded
// once before the main window by LoadWkeApi. Without it (no display, no library, a missing
// export) GetWkeApi() is null and nothing calls the engine.

#include "webview/wke.h"

#include <string>

#define WKE_API_FUNCTIONS(X)                                                                                 \
    X(wkeInitializeEx)                                                                                       \
    X(wkeShutdown)                                                                                           \
    X(wkeCreateWebView)                                                                                      \
    X(wkeDestroyWebView)                                                                                     \
    X(wkeOnTitleChanged)                                                                                     \
    X(wkeOnURLChanged)                                                                                       \
    X(wkeOnLoadingFinish)                                                                                    \
    X(wkeOnNavigation)                                                                                       \
    X(wkeOnPaintUpdated)                                                                                     \
    X(wkeSetUserAgent)                                                                                       \
    X(wkeGetViewDC)                                                                                          \
    X(wkeGetCursorInfoType)                                                                                  \
    X(wkeGetURL)                                                                                             \
    X(wkeGetStringW)                                                                                         \
    X(wkeLoadURLW)                                                                                           \
    X(wkeReload)                                                                                             \
    X(wkeResize)                                                                                             \
    X(wkeGetWidth)                                                                                           \
    X(wkeGetHeight)                                                                                          \
    X(wkeFireMouseEvent)                                                                                     \
    X(wkeFireContextMenuEvent)                                                                               \
    X(wkeFireMouseWheelEvent)                                                                                \
    X(wkeFireKeyUpEvent)                                                                                     \
    X(wkeFireKeyDownEvent)                                                                                   \
    X(wkeFireKeyPressEvent)                                                                                  \
    X(wkeSetFocus)                                                                                           \
    X(wkeKillFocus)                                                                                          \
    X(wkeGetCaret)                                                                                           \
    X(wkeRunJSW)                                                                                             \
    X(jsBindFunction)                                                                                        \
    X(jsArgCount)                                                                                            \
    X(jsArg)                                                                                                 \
    X(jsToTempStringW)                                                                                       \
    X(jsUndefined)                                                                                           \
    X(jsGetWebView)

struct WkeApi
{
#define WKE_API_MEMBER(name) decltype(&::name) name = nullptr;
    WKE_API_FUNCTIONS(WKE_API_MEMBER)
#undef WKE_API_MEMBER
};

// The file name of the engine library in the program folder.
constexpr const wchar_t* kWkeLibraryName = L"libwke.so";

// 1 when the engine was loaded, initialised and every function found; 0 otherwise (no
// display, no library, or a library without one of the functions), and then nothing is loaded.
int LoadWkeApi();
// Loads the engine from the given file; the same answers as LoadWkeApi.
int LoadWkeApiFrom(const std::wstring& libraryPath);
// The engine's functions, or null when it is not loaded.
const WkeApi* GetWkeApi();
// wkeShutdown once, after the last view is gone; nothing without the engine.
void ShutdownWkeApi();
