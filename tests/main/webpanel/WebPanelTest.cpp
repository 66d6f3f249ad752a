// The web page panel and the login on the real main window, headless (so without the web view
// engine): the panel's states, the login result, the avatar download from a real loopback
// site, the account window, logout, the first-run report, and which pages and addresses the
// script functions answer.
#include "tests/main/webpanel/LoginSite.h"
#include "tests/support/MainWindowKit.h"

#include "common/base/PathHelper.h"
#include "common/http/Base64.h"
#include "common/http/HttpMgr.h"
#include "main/AnimImg.h"
#include "main/ConfigIni.h"
#include "main/MyCenterDlg.h"
#include "main/UrlQuery.h"
#include "main/WkeApi.h"
#include "main/WkeWebkitUI.h"

#include "platform/Shell.h"

#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace DuiLib;
using namespace mainwndtest;
using webtest::LoginSite;

namespace
{
const wchar_t* const kFailed = L"线路读取失败，请检测网络是否异常";

std::string ConfigPath()
{
    return testsupport::Narrow(GetModuleDir()) + "/config.ini";
}

// config.ini beside the program, pointing the service at the site.
void WriteConfig(const LoginSite& site, const std::string& extra = "")
{
    std::ofstream(ConfigPath()) << "[Config]\nlogin_url=" << site.Url("/Soft/Oauth/Login")
                                << "\ninstall_statistics_url=" << site.Url("/stat")
                                << "\ninstall_stattistics=0\n"
                                << extra;
}

std::wstring LoginText(const Json::Value& value)
{
    const std::string json = Json::FastWriter().write(value);
    return testsupport::Wide(
        Base64Encode(reinterpret_cast<const unsigned char*>(json.data()), static_cast<int>(json.size())));
}

class WebPanel : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_site.ok());
        WriteConfig(m_site);
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        for (const auto& entry : std::filesystem::directory_iterator(testsupport::Narrow(GetModuleDir())))
        {
            if (entry.path().extension() == ".png")
                std::filesystem::remove(entry.path());
        }
        std::filesystem::remove(ConfigPath());
    }

    bool Visible(LPCTSTR name) { return Control(name)->IsVisible(); }
    std::wstring Text(LPCTSTR name) { return Control(name)->GetText().GetData(); }
    int Page() { return ControlAs<CTabLayoutUI>(L"main_tab")->GetCurSel(); }
    // Sends the login result as the page's script function does; a message box it opens is
    // answered and its text returned.
    LRESULT SendLogin(const std::wstring* text, std::wstring* boxText = nullptr)
    {
        dialogtest::BoxUser user([&](CMsgBoxDlg* box) {
            if (boxText != nullptr)
                *boxText = box->GetPaintManager().FindControl(L"msgLabel")->GetText().GetData();
            dialogtest::ClickControl(box, L"btnSingleOk");
        });
        return ::SendMessageW(m_hwnd, WM_LOGIN_RESULT, reinterpret_cast<WPARAM>(text), 0);
    }
    bool LoggedIn() { return m_dlg->m_bLogin && Visible(L"btn_mycenter") && !Visible(L"btn_login"); }

    LoginSite m_site;
};
} // namespace

TEST_F(WebPanel, PanelMovesBetweenLoadingShownAndFailedAndBack)
{
    EXPECT_EQ(LoadWkeApi(), 0) << "headless: no engine, even with the library at hand";
    EXPECT_EQ(GetWkeApi(), nullptr);
    ShutdownWkeApi(); // nothing to shut down, and no call into a missing engine
    auto* view = ControlAs<CWkeWebkitUI>(L"wkePay");
    ASSERT_NE(view->GetInterface(L"wkeWebKit"), nullptr);
    EXPECT_EQ(view->GetInterface(L"wkewebkit"), nullptr) << "the class name compares exactly";
    EXPECT_EQ(view->GetWebView(), nullptr);
    // The skin's state before any load.
    EXPECT_FALSE(Visible(L"wkePay"));
    EXPECT_EQ(Text(L"loadingTxt"), kFailed);
    auto* anim = ControlAs<CAnimImg>(L"loadingAnim");
    EXPECT_EQ(anim->GetFrames().size(), 12u);

    // Without the engine nothing can load the login page: its failure state.
    ASSERT_TRUE(Click(L"btn_login"));
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(Visible(L"load_layout"));
    EXPECT_TRUE(Visible(L"btnRefresh"));
    EXPECT_TRUE(Visible(L"loadErrorImg"));
    EXPECT_FALSE(Visible(L"loadingAnim"));
    EXPECT_EQ(Text(L"loadingTxt"), kFailed);
    EXPECT_FALSE(Visible(L"wkePay"));

    // A finished load shows the page; unknown results change nothing; a later failure inside
    // the page changes only the hidden loading layer.
    m_dlg->OnWkeLoadingFinish(nullptr, nullptr, WKE_LOADING_SUCCEEDED, nullptr);
    EXPECT_TRUE(Visible(L"wkePay"));
    EXPECT_FALSE(Visible(L"load_layout"));
    m_dlg->OnWkeLoadingFinish(nullptr, nullptr, 7, nullptr);
    EXPECT_TRUE(Visible(L"wkePay"));
    m_dlg->OnWkeLoadingFinish(nullptr, nullptr, WKE_LOADING_CANCELED, nullptr);
    EXPECT_TRUE(Visible(L"wkePay"));
    EXPECT_FALSE(Visible(L"load_layout"));

    // Refresh starts over from loading (and fails again here).
    ASSERT_TRUE(Click(L"btn_back"));
    EXPECT_EQ(Page(), 0);
    m_dlg->OpenWebPage(L"http://127.0.0.1:1/");
    EXPECT_FALSE(Visible(L"wkePay"));
    ASSERT_TRUE(Click(L"btnRefresh"));
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(Visible(L"btnRefresh"));
    EXPECT_FALSE(Visible(L"wkePay"));
    ::SendMessageW(m_hwnd, WM_GO_FIRST_PAGE, 0, 0);
    EXPECT_EQ(Page(), 0);
}

TEST_F(WebPanel, LoginResultsAreCheckedBeforeTheTitleBarChanges)
{
    std::wstring box;
    EXPECT_EQ(SendLogin(nullptr, &box), -1);
    EXPECT_EQ(box, L"登录信息异常");
    EXPECT_FALSE(LoggedIn());

    // Not base64 of an object: refused, and the title bar stays logged out.
    for (const std::wstring& bad : {std::wstring(L"{\"account\":\"bob\"}"),
                                    LoginText(Json::Value("a string")), std::wstring(L"%%%"), LoginText([] {
                                        Json::Value v;
                                        v["account"] = 5;
                                        return v;
                                    }())})
    {
        box.clear();
        EXPECT_EQ(SendLogin(&bad, &box), 0);
        EXPECT_EQ(box, L"登录信息异常") << testsupport::Narrow(bad);
        EXPECT_FALSE(LoggedIn()) << testsupport::Narrow(bad);
    }

    // A good result without img_url: logged in, the key kept, back on the conversion page, no
    // avatar asked for.
    m_dlg->OpenWebPage(L"about:blank");
    Json::Value login;
    login["account"] = "张三";
    login["uuid"] = "u-1";
    login["ukey"] = "k+/=";
    const std::wstring text = LoginText(login);
    box.clear();
    EXPECT_EQ(SendLogin(&text, &box), 0);
    EXPECT_TRUE(box.empty());
    EXPECT_TRUE(LoggedIn());
    EXPECT_EQ(Text(L"btn_mycenter"), L"张三");
    EXPECT_EQ(CConfigIni().GetKey(), L"k+/=");
    EXPECT_TRUE(PumpUntil([&] { return Page() == 0; }));
    EXPECT_EQ(m_site.Count("/"), 0);

    // A bad result afterwards never leaves a title bar of someone else behind.
    const std::wstring junk = L"not base64 json";
    SendLogin(&junk, &box);
    EXPECT_EQ(Text(L"btn_mycenter"), L"张三");

    ::SendMessageW(m_hwnd, WM_LOGOUT, 0, 0);
    EXPECT_FALSE(LoggedIn());
    EXPECT_EQ(CConfigIni().GetKey(), L"");
}

TEST_F(WebPanel, TheAvatarComesFromTheSiteOnlyAsASmallPictureUnderAPlainName)
{
    const std::string png = webtest::MakePng(30, 30, "#ff8000");
    ASSERT_FALSE(png.empty());
    m_site.Serve("/avatar.png", 200, png, "image/png");
    m_site.Serve("/page.png", 200, "<html>not a picture</html>", "text/html");
    m_site.Serve("/huge.png", 200, png + std::string(6 * 1024 * 1024, 'x'), "image/png");
    const std::string folder = testsupport::Narrow(GetModuleDir());

    auto login = [&](const std::string& account, const std::string& path) {
        Json::Value value;
        value["account"] = account;
        value["img_url"] = m_site.Url(path);
        const std::wstring text = LoginText(value);
        return SendLogin(&text);
    };

    // Refused downloads leave no file and the title bar without a picture.
    for (const char* path : {"/page.png", "/huge.png", "/missing.png"})
    {
        const int before = m_site.Count(path);
        ASSERT_EQ(login("carol", path), 0);
        ASSERT_TRUE(PumpUntil([&] { return m_site.Count(path) > before; }, 10000)) << path;
        // The thread ends after the request; its file, if any, would be there by the reply.
        ASSERT_TRUE(PumpUntil([&] { return !testsupport::Exists(folder + "/carol.png.temp"); }, 10000));
        EXPECT_FALSE(testsupport::Exists(folder + "/carol.png")) << path;
    }
    EXPECT_EQ(std::wstring(Control(L"btn_mycenter")->GetBkImage()),
              L"file='default_title.png' dest='0,0,30,30'");

    // A hostile name never becomes a path: nothing is asked for or written.
    const int requests = m_site.Count("/avatar.png");
    for (const char* name : {"../evil", "a/b", "..", ""})
        login(name, "/avatar.png");
    Pump();
    EXPECT_EQ(m_site.Count("/avatar.png"), requests);
    EXPECT_FALSE(testsupport::Exists(folder + "/../evil.png"));

    // A good picture lands beside the program and shows in the title bar, quoted.
    ASSERT_EQ(login("o'neil", "/avatar.png"), 0);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return std::wstring(Control(L"btn_mycenter")->GetBkImage()).find(L"neil") != std::wstring::npos;
        },
        10000));
    EXPECT_TRUE(testsupport::Exists(folder + "/o'neil.png"));
    EXPECT_EQ(std::wstring(Control(L"btn_mycenter")->GetBkImage()),
              L"file='" + GetModuleDir() + L"/oneil.png' dest='0,0,30,30'")
        << "a quote in the name cannot end the markup's value";
    EXPECT_EQ(Control(L"btn_mycenter")->GetToolTip(), L"o'neil");

    // The account window shows the account and logs out: the avatar goes, the key is emptied.
    ASSERT_TRUE(Click(L"btn_mycenter"));
    CMyCenterDlg* center = m_dlg->GetMyCenterDlg();
    ASSERT_TRUE(center->m_bInit);
    EXPECT_TRUE(::IsWindowVisible(center->GetHWND()));
    EXPECT_EQ(std::wstring(center->m_pLabelAccount->GetText().GetData()), L"o'neil");
    EXPECT_NE(std::wstring(center->m_pLabelImg->GetBkImage()).find(L"dest='0,0,56,56'"), std::wstring::npos);
    ASSERT_TRUE(dialogtest::ClickControl(center, L"btn_logout"));
    EXPECT_TRUE(PumpUntil([&] { return !m_dlg->m_bLogin; }));
    EXPECT_FALSE(::IsWindowVisible(center->GetHWND()));
    EXPECT_FALSE(testsupport::Exists(folder + "/o'neil.png"));
    EXPECT_TRUE(Visible(L"btn_login"));
    center->ShowAccount(L"o'neil");
    EXPECT_EQ(std::wstring(center->m_pLabelImg->GetBkImage()), L"file='default_title.png' dest='0,0,56,56'");

    // The next account, without a picture, shows none of the one before: the skin's default
    // picture, no tooltip.
    Json::Value next;
    next["account"] = "dave";
    const std::wstring nextText = LoginText(next);
    ASSERT_EQ(SendLogin(&nextText), 0);
    EXPECT_EQ(std::wstring(Control(L"btn_mycenter")->GetBkImage()),
              L"file='default_title.png' dest='0,0,30,30'");
    EXPECT_TRUE(Control(L"btn_mycenter")->GetToolTip().IsEmpty());
    EXPECT_EQ(Text(L"btn_mycenter"), L"dave");
}

TEST_F(WebPanel, ServiceAddressesCarryEncodedValuesAndOnlyTheLoginSiteIsAnswered)
{
    m_dlg->m_strVersion = L"2.1.1.2";
    m_dlg->m_strChannel = L"guanwan";
    m_dlg->m_strMachineId = L"0a1b";
    EXPECT_EQ(m_dlg->MakeUrl(L"http://h/Soft/Oauth/Login"),
              L"http://h/Soft/Oauth/Login?version=2.1.1.2&channel=guanwan&machineid=0a1b");
    EXPECT_EQ(m_dlg->MakeUrl(L"http://h/p?x=1"),
              L"http://h/p?x=1&version=2.1.1.2&channel=guanwan&machineid=0a1b");
    EXPECT_EQ(m_dlg->MakeUrl(L"?x"), L"?x?version=2.1.1.2&channel=guanwan&machineid=0a1b");
    m_dlg->m_strChannel = L"a&b=c d";
    m_dlg->m_strMachineId = L"中";
    EXPECT_EQ(m_dlg->MakeUrl(L"http://h/"),
              L"http://h/?version=2.1.1.2&channel=a%26b%3Dc%20d&machineid=%E4%B8%AD");
    EXPECT_EQ(PercentEncode(L"k+/="), L"k%2B%2F%3D");

    const std::string base = "http://127.0.0.1:" + std::to_string(m_site.port());
    EXPECT_TRUE(CMainDlg::IsLoginSitePage(testsupport::Wide(base + "/Soft/Oauth/Login?x=1")));
    EXPECT_TRUE(CMainDlg::IsLoginSitePage(testsupport::Wide(base + "/other#top")));
    EXPECT_TRUE(
        CMainDlg::IsLoginSitePage(testsupport::Wide("HTTP://127.0.0.1:" + std::to_string(m_site.port()))));
    for (const std::string& other : std::vector<std::string>{
             "http://127.0.0.1:" + std::to_string(m_site.port() + 1) + "/Soft/Oauth/Login",
             "https://127.0.0.1:" + std::to_string(m_site.port()) + "/", base + "@evil.example/",
             "http://evil.example/?" + base, "file:///etc/passwd", "about:blank", ""})
        EXPECT_FALSE(CMainDlg::IsLoginSitePage(testsupport::Wide(other))) << other;

    // Only web addresses reach the desktop's opener, each as one argument.
    testsupport::TempDir dir("opener");
    const std::string log = dir / "opened.txt";
    const std::string script = dir / "opener.sh";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" << log << "'\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    platform::SetShellOpener(testsupport::Wide(script));
    for (const wchar_t* refused : {L"file:///etc/passwd", L"javascript:alert(1)", L"/usr/bin/xterm", L"-e sh",
                                   L"ftp://127.0.0.1/x", L""})
        EXPECT_FALSE(CMainDlg::OpenInBrowser(refused)) << testsupport::Narrow(refused);
    EXPECT_TRUE(CMainDlg::OpenInBrowser(L"https://example.com/a b?c=\"d\""));
    EXPECT_TRUE(PumpUntil([&] { return !testsupport::ReadFile(log).empty(); }, 5000));
    EXPECT_EQ(testsupport::ReadFile(log), "1|https://example.com/a b?c=\"d\"\n");
    platform::SetShellOpener(L"");
}

TEST_F(WebPanel, TheFirstStartIsReportedOnceWithItsStyledJson)
{
    // The window of SetUp found the flag at 0 and sent nothing.
    EXPECT_EQ(m_site.Count("/stat"), 0);
    std::ofstream(ConfigPath()) << "[Config]\ninstall_statistics_url=" << m_site.Url("/stat")
                                << "\ninstall_stattistics=1\n[MACHINE]\nmachineId=m+1/2=?>\n";
    m_dlg->StartInstallerStatistics();
    EXPECT_EQ(::GetPrivateProfileIntW(L"Config", L"install_stattistics", 1,
                                      testsupport::Wide(ConfigPath()).c_str()),
              0u)
        << "written before the report goes";
    ASSERT_TRUE(PumpUntil([&] { return !m_site.PostBody("/stat").empty(); }, 10000));
    const std::string body = m_site.PostBody("/stat");
    ASSERT_EQ(body.rfind("info=", 0), 0u) << body;
    // The value is form-encoded base64 of the report.
    const std::string value = httplib::detail::decode_url(body.substr(5), true);
    const std::string json = Base64Decode(value.c_str(), static_cast<int>(value.size()));
    EXPECT_EQ(body.find('+'), std::string::npos) << "a '+' of the base64 text would arrive as a blank";
    Json::Value report;
    ASSERT_TRUE(Json::Reader().parse(json, report)) << json;
    EXPECT_EQ(report["channel"].asString(), testsupport::Narrow(CConfigIni::GetChannel()));
    EXPECT_EQ(report["version"].asString(), testsupport::Narrow(CConfigIni::GetVersionStr()));
    EXPECT_EQ(report["mac_id"].asString(), testsupport::Narrow(CConfigIni().GetMachineId()));
    EXPECT_LT(json.find("\"channel\""), json.find("\"mac_id\"")) << "members in name order, one a line";
    EXPECT_LT(json.find("\"mac_id\""), json.find("\"version\""));

    m_dlg->StartInstallerStatistics();
    Pump();
    EXPECT_EQ(m_site.Count("/stat"), 1) << "once per installation";
}
