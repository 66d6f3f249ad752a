// Login through the web page panel, the account shown in the title bar and the account
// window, the avatar download, logout, and the first-run report to the statistics service.

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/dialog/MsgBoxDlg.h"
#include "common/http/Base64.h"
#include "common/http/ClusterCurl.h"
#include "common/http/HttpMgr.h"
#include "common/http/LibcurlDownCallback.h"
#include "main/ConfigIni.h"
#include "main/LoginResult.h"
#include "main/MainDlg.h"
#include "main/MyCenterDlg.h"
#include "main/UrlQuery.h"
#include "main/WkeApi.h"
#include "main/WkeWebkitUI.h"

#include "platform/Kernel.h"
#include "platform/Profile.h"

#include <json/json.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

using namespace DuiLib;

namespace
{
constexpr const wchar_t* kLoginFailed = L"登录信息异常";
constexpr int kMyCenterX = 423;
constexpr int kMyCenterY = 52;
constexpr int kTitleAvatarSize = 30;
constexpr const wchar_t* kDefaultTitleImage = L"file='default_title.png' dest='0,0,30,30'";
constexpr DWORD kMyCenterStyle = 0x96C80000;
// An avatar is a small picture; anything larger is not one.
constexpr double kMaxAvatarBytes = 4.0 * 1024 * 1024;

// Stops a download that grows past the avatar limit or outlives the program.
class AvatarLimit final : public CLibcurlDownCallback
{
public:
    void OnDownloadProgress(int, int, double total, double now) override
    {
        if (total > kMaxAvatarBytes || now > kMaxAvatarBytes || g_bAppExit.load())
            m_bCancel = true;
    }
    volatile bool m_bCancel = false;
};

// Whether the file is a PNG picture, the one kind the title bar can draw.
bool IsImageFile(const std::wstring& path)
{
    std::ifstream in(WideToAnsi(path), std::ios::binary);
    unsigned char head[8] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    static const unsigned char png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return in.gcount() == sizeof head && std::memcmp(head, png, sizeof png) == 0;
}

} // namespace

std::wstring CMainDlg::MakeUrl(const std::wstring& base) const
{
    const size_t mark = base.find(L'?');
    const wchar_t* join = mark != std::wstring::npos && mark > 0 ? L"&" : L"?";
    return base + join + L"version=" + PercentEncode(m_strVersion) + L"&channel=" +
           PercentEncode(m_strChannel) + L"&machineid=" + PercentEncode(m_strMachineId);
}

std::wstring CMainDlg::AvatarPath(const std::wstring& account)
{
    // The name comes from the service: it may only ever name a file of the program folder.
    if (account.empty() || account == L"." || account == L".." || account.find(L"..") != std::wstring::npos ||
        account.find_first_of(L"/\\") != std::wstring::npos || account.find(L'\0') != std::wstring::npos)
        return {};
    return GetModuleDir() + L"/" + account + L".png";
}

void CMainDlg::AutoLogin()
{
    const std::wstring key = CConfigIni().GetKey();
    const WkeApi* api = GetWkeApi();
    if (key.empty() || api == nullptr || m_pWebView == nullptr || m_pWebView->GetWebView() == nullptr)
        return;
    // Loaded in the hidden panel: the window stays on the conversion page.
    const std::wstring url = MakeUrl(CConfigIni().GetLoginUrl()) + L"&ukey=" + PercentEncode(key);
    api->wkeLoadURLW(m_pWebView->GetWebView(), url.c_str());
}

LRESULT CMainDlg::OnLoginResult(const std::wstring* text)
{
    LoginFields fields;
    if (text == nullptr || !ParseLoginResult(*text, fields))
    {
        CMsgBoxDlg::ShowMsgBox(m_hWnd, L"提示", kLoginFailed, MSGBOX_OK);
        return text == nullptr ? -1 : 0;
    }
    if (fields.hasAccount)
        m_strAccount = fields.account;
    if (fields.hasUkey)
        CConfigIni().SetKey(fields.ukey);
    ShowLoginState(true);
    if (CControlUI* button = m_PaintManager.FindControl(L"btn_mycenter");
        button != nullptr && fields.hasAccount)
        button->SetText(m_strAccount.c_str());
    if (fields.hasImgUrl)
    {
        if (!fields.imgUrl.empty() && !AvatarPath(m_strAccount).empty())
        {
            // The worker has its own copies, so the window may change its members. An older
            // download (of an account that is no longer shown) is stopped first. A thread that
            // cannot start is not reported: the title bar keeps its picture.
            m_avatarWorker.RequestStop();
            m_avatarWorker.Start([account = m_strAccount, url = fields.imgUrl](const std::stop_token& stop) {
                DownImgProc(account, url, stop);
            });
        }
    }
    ::PostMessageW(g_hMainWnd, WM_GO_FIRST_PAGE, 0, 0);
    return 0;
}

void CMainDlg::ShowLoginState(bool loggedIn)
{
    m_bLogin = loggedIn;
    CControlUI* center = m_PaintManager.FindControl(L"btn_mycenter");
    CControlUI* login = m_PaintManager.FindControl(L"btn_login");
    if (center != nullptr)
        center->SetVisible(loggedIn);
    if (login != nullptr)
        login->SetVisible(!loggedIn);
    if (loggedIn && center != nullptr)
        ShowAvatar(center);
}

void CMainDlg::ShowAvatar(CControlUI* center)
{
    // Set afresh for every account: an account without a picture shows the skin's default one
    // and no tooltip, never what the account before it had.
    const std::wstring avatar = AvatarPath(m_strAccount);
    const bool hasAvatar = !avatar.empty() && PathExists(avatar, 0) != -1;
    center->SetAttribute(L"bkimage",
                         hasAvatar ? AvatarMarkup(avatar, kTitleAvatarSize).c_str() : kDefaultTitleImage);
    center->SetToolTip(hasAvatar ? m_strAccount.c_str() : L"");
}

void CMainDlg::DownImgProc(const std::wstring& account, const std::wstring& url, const std::stop_token& stop)
{
    const std::wstring path = AvatarPath(account);
    if (path.empty())
        return;
    RemoveFile(path);
    AvatarLimit limit;
    ClusterCurl curl;
    curl.SetTimeOut(30, 3600);
    curl.SetListener(&limit);
    curl.SetCancelFlag(&limit.m_bCancel);
    curl.SetStopToken(stop);
    CurlResult result =
        curl.downloadFile(WideToAnsi(url), WideToAnsi(GetModuleDir()), WideToAnsi(account + L".png"));
    if (result.code == 200 && !IsImageFile(path))
    {
        RemoveFile(path);
        result = CurlResult{-1, "not an image"};
    }
    if (result.code != 200)
    {
        LOG_ERROR(L"CMainDlg::DownImgProc", L"url=%s 下载头像失败! msg=%s", url.c_str(),
                  AnsiToWide(result.message).c_str());
        return;
    }
    LOG_INFO(L"CMainDlg::DownImgProc", L"%s success 下载头像完成", L"CMainDlg::DownImgProc");
    ::PostMessageW(g_hMainWnd, WM_AVATAR_READY, 0, 0);
}

LRESULT CMainDlg::OnAvatarReady()
{
    CControlUI* center = m_PaintManager.FindControl(L"btn_mycenter");
    if (center == nullptr || AvatarPath(m_strAccount).empty())
        return 0;
    ShowAvatar(center);
    center->SetText(m_strAccount.c_str());
    return 0;
}

LRESULT CMainDlg::OnLogout()
{
    CConfigIni().SetKey(L"");
    const WkeApi* api = GetWkeApi();
    if (api != nullptr && m_pWebView != nullptr && m_pWebView->GetWebView() != nullptr)
        api->wkeRunJSW(m_pWebView->GetWebView(), L"if (typeof clearCookie === 'function') clearCookie();");
    ShowLoginState(false);
    return 0;
}

CMyCenterDlg* CMainDlg::GetMyCenterDlg()
{
    if (m_pMyCenterDlg == nullptr)
    {
        m_pMyCenterDlg = new CMyCenterDlg;
        m_pMyCenterDlg->Create(m_hWnd, L"账号信息", kMyCenterStyle, 0);
    }
    return m_pMyCenterDlg;
}

void CMainDlg::ShowMyCenter()
{
    CMyCenterDlg* center = GetMyCenterDlg();
    center->ShowAccount(m_strAccount);
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    ::SetWindowPos(center->GetHWND(), nullptr, rc.left + kMyCenterX, rc.top + kMyCenterY, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER);
    center->ShowWindow(true, true);
}

void CMainDlg::StartInstallerStatistics()
{
    CConfigIni config;
    const wchar_t* path = config.m_strIniPath.c_str();
    if (::GetPrivateProfileIntW(L"Config", L"install_stattistics", 1, path) == 0)
        return;
    // Written before anything is sent: the report is tried once, whatever comes of it.
    ::WritePrivateProfileStringW(L"Config", L"install_stattistics", L"0", path);
    Json::Value info;
    info["channel"] = AnsiToUtf8(WideToAnsi(CConfigIni::GetChannel()));
    info["version"] = AnsiToUtf8(WideToAnsi(CConfigIni::GetVersionStr()));
    info["mac_id"] = AnsiToUtf8(WideToAnsi(config.GetMachineId()));
    const std::string text = info.toStyledString();
    const std::string base64 =
        Base64Encode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    // The body is a form: the base64 value is percent-encoded so its "+" stays a "+".
    const std::string body = MakeInfoParam(WideToAnsi(PercentEncode(AnsiToWide(base64))));
    CHttpMgr::GetInstance();
    CHttpMgr::AsyncPost(WideToAnsi(config.GetInstallStatisticsUrl()), body, m_hWnd, 0);
    LOG_INFO(L"CMainDlg::StartInstallerStatistics", L"%s Statistics url=%s ret=%s",
             L"CMainDlg::StartInstallerStatistics", config.GetInstallStatisticsUrl().c_str(),
             AnsiToWide(body).c_str());
}

bool CMainDlg::HandleLoginMessage(UINT msg, WPARAM wParam, LRESULT& result)
{
    switch (msg)
    {
    case WM_TIMER:
        if (wParam != TIMER_AUTO_LOGIN)
            return false;
        ::KillTimer(m_hWnd, TIMER_AUTO_LOGIN);
        AutoLogin();
        break;
    case WM_LOGIN_RESULT:
        result = OnLoginResult(reinterpret_cast<const std::wstring*>(wParam));
        return true;
    case WM_LOGOUT:
        result = OnLogout();
        return true;
    case WM_GO_FIRST_PAGE:
        ShowMainPage(0);
        break;
    case WM_AVATAR_READY:
        result = OnAvatarReady();
        return true;
    default:
        return false;
    }
    result = 0;
    return true;
}
