// The web page panel of the main window: its loading, shown and failed states, the view's
// events, and the script functions the login page calls.

#include "common/base/Log.h"
#include "common/base/StringHelper.h"
#include "common/install/ProductFiles.h"
#include "main/AnimImg.h"
#include "main/ConfigIni.h"
#include "main/MainDlg.h"
#include "main/WkeApi.h"
#include "main/WkeWebkitUI.h"

#include "platform/Utf.h"

#include <cwctype>

using namespace DuiLib;

namespace
{
constexpr const wchar_t* kLoadingText = L"加载中...";
constexpr const wchar_t* kFailedText = L"线路读取失败，请检测网络是否异常";

// "scheme://host[:port]" of an address in lower case, or empty when it has none.
std::wstring OriginOf(const std::wstring& url)
{
    const size_t scheme = url.find(L"://");
    if (scheme == std::wstring::npos || scheme == 0)
        return {};
    size_t end = url.find_first_of(L"/?#", scheme + 3);
    if (end == std::wstring::npos)
        end = url.size();
    std::wstring origin = url.substr(0, end);
    for (wchar_t& ch : origin)
        ch = static_cast<wchar_t>(std::towlower(ch));
    // user@host would let another site pass for the login site's host.
    if (origin.find(L'@') != std::wstring::npos || end == scheme + 3)
        return {};
    return origin;
}

// The argument of a script call, copied at once: the engine's text dies with the call.
std::wstring ArgText(jsExecState es, int index)
{
    const WkeApi* api = GetWkeApi();
    return api->jsToTempStringW(es, api->jsArg(es, index));
}

// Whether the page that called is one of the login site's; the calls of any other page
// change nothing, and are logged: a service that moved its login page fails visibly there.
bool FromLoginSite(jsExecState es, const wchar_t* function)
{
    const WkeApi* api = GetWkeApi();
    const std::wstring page = platform::FromUtf8(api->wkeGetURL(api->jsGetWebView(es)));
    if (CMainDlg::IsLoginSitePage(page))
        return true;
    const std::wstring origin = OriginOf(page);
    LOG_WARN(L"CMainDlg::FromLoginSite", L"%s refused: origin=%s is not the login site %s", function,
             origin.empty() ? page.c_str() : origin.c_str(), OriginOf(CConfigIni().GetLoginUrl()).c_str());
    return false;
}

jsValue JsOnLoginCallBack(jsExecState es)
{
    if (FromLoginSite(es, L"OnLoginCallBack"))
    {
        const std::wstring text = ArgText(es, 0);
        ::SendMessageW(g_hMainWnd, WM_LOGIN_RESULT, reinterpret_cast<WPARAM>(&text), 0);
    }
    return GetWkeApi()->jsUndefined();
}

jsValue JsOnLogoutCallBack(jsExecState es)
{
    if (FromLoginSite(es, L"OnLogoutCallBack"))
        ::PostMessageW(g_hMainWnd, WM_LOGOUT, 0, 0);
    return GetWkeApi()->jsUndefined();
}

jsValue JsOnGoFirstPage(jsExecState es)
{
    if (FromLoginSite(es, L"OnGoFirstPage"))
        ::PostMessageW(g_hMainWnd, WM_GO_FIRST_PAGE, 0, 0);
    return GetWkeApi()->jsUndefined();
}

jsValue JsOnOpenUrl(jsExecState es)
{
    if (FromLoginSite(es, L"OnOpenUrl"))
        CMainDlg::OpenInBrowser(ArgText(es, 0));
    return GetWkeApi()->jsUndefined();
}
} // namespace

void CMainDlg::BindScriptFunctions()
{
    const WkeApi* api = GetWkeApi();
    if (api == nullptr)
        return;
    api->jsBindFunction("OnLoginCallBack", &JsOnLoginCallBack, 1);
    api->jsBindFunction("OnLogoutCallBack", &JsOnLogoutCallBack, 0);
    api->jsBindFunction("OnGoFirstPage", &JsOnGoFirstPage, 0);
    api->jsBindFunction("OnOpenUrl", &JsOnOpenUrl, 1);
}

bool CMainDlg::IsLoginSitePage(const std::wstring& url)
{
    const std::wstring site = OriginOf(CConfigIni().GetLoginUrl());
    return !site.empty() && OriginOf(url) == site;
}

bool CMainDlg::OpenInBrowser(const std::wstring& url)
{
    const std::wstring origin = OriginOf(url);
    if (origin.rfind(L"http://", 0) != 0 && origin.rfind(L"https://", 0) != 0)
        return false;
    return ProductFiles::OpenWithShell(url);
}

namespace
{
// The loading layer as a new load or a refresh starts.
void ShowLoading(CWkeWebkitUI* view, CControlUI* layout, CAnimImg* anim, CControlUI* refresh,
                 CControlUI* error, CControlUI* text)
{
    for (CControlUI* hidden : {static_cast<CControlUI*>(view), refresh, error})
    {
        if (hidden != nullptr)
            hidden->SetVisible(false);
    }
    for (CControlUI* shown : {layout, static_cast<CControlUI*>(anim)})
    {
        if (shown != nullptr)
            shown->SetVisible(true);
    }
    if (text != nullptr)
        text->SetText(kLoadingText);
    if (anim != nullptr)
        anim->Start();
}
} // namespace

void CMainDlg::OpenWebPage(const std::wstring& url)
{
    ShowMainPage(1);
    ShowLoading(m_pWebView, m_pLoadLayout, m_pLoadingAnim, m_pRefreshBtn, m_pLoadErrorImg, m_pLoadingTxt);
    const WkeApi* api = GetWkeApi();
    if (api != nullptr && m_pWebView != nullptr && m_pWebView->GetWebView() != nullptr)
        api->wkeLoadURLW(m_pWebView->GetWebView(), url.c_str());
    else
        OnWkeLoadingFinish(nullptr, nullptr, WKE_LOADING_FAILED, nullptr); // nothing can load it
}

void CMainDlg::OnRefresh()
{
    ShowLoading(m_pWebView, m_pLoadLayout, m_pLoadingAnim, m_pRefreshBtn, m_pLoadErrorImg, m_pLoadingTxt);
    const WkeApi* api = GetWkeApi();
    if (api != nullptr && m_pWebView != nullptr && m_pWebView->GetWebView() != nullptr)
        api->wkeReload(m_pWebView->GetWebView());
    else
        OnWkeLoadingFinish(nullptr, nullptr, WKE_LOADING_FAILED, nullptr);
}

bool CMainDlg::OnWkeNavigation(wkeWebView, int navigationType, wkeString url)
{
    // A page's new window becomes the desktop browser's, for web addresses only.
    if (navigationType == WKE_NAVIGATION_TYPE_NEWWINDOW && url != nullptr && GetWkeApi() != nullptr)
        OpenInBrowser(GetWkeApi()->wkeGetStringW(url));
    return true;
}

void CMainDlg::OnWkeLoadingFinish(wkeWebView, wkeString, int result, wkeString)
{
    if (result == WKE_LOADING_SUCCEEDED)
    {
        if (m_pWebView != nullptr)
            m_pWebView->SetVisible(true);
        if (m_pLoadLayout != nullptr)
            m_pLoadLayout->SetVisible(false);
    }
    else if (result == WKE_LOADING_FAILED || result == WKE_LOADING_CANCELED)
    {
        if (m_pLoadingAnim != nullptr)
            m_pLoadingAnim->SetVisible(false);
        if (m_pRefreshBtn != nullptr)
            m_pRefreshBtn->SetVisible(true);
        if (m_pLoadErrorImg != nullptr)
            m_pLoadErrorImg->SetVisible(true);
        if (m_pLoadingTxt != nullptr)
            m_pLoadingTxt->SetText(kFailedText);
    }
    else
        return;
    if (m_pLoadingAnim != nullptr)
        m_PaintManager.KillTimer(m_pLoadingAnim, ANIM_TIMER_ID);
}

void CMainDlg::OnWkeTitleChanged(wkeWebView, wkeString) {}

void CMainDlg::OnWkeURLChanged(wkeWebView, wkeString) {}
