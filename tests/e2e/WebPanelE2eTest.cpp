// The real Pictavo with its web view engine on the test display, against a real login site
// on 127.0.0.1: the login page shown in the panel, a click and typed text forwarded to it, the
// page's login call ending in the logged-in title bar with the avatar, logout through the
// account window running the page's clearCookie, and the failure state and refresh against a
// port where nothing listens yet.
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/Screenshot.h"
#include "tests/e2e/XServer.h"
#include "tests/main/webpanel/LoginSite.h"
#include "tests/support/TestSupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

using namespace e2e;
namespace fs = std::filesystem;
using webtest::LoginSite;

namespace
{
// Window coordinates of the skin (1000 x 640): the login button of the title bar, and the top
// left corner of the web view on the panel.
// How long a step may take before the test gives up: a web process starting on a loaded machine
// can take many seconds; every wait ends as soon as its condition holds.
constexpr int kPatienceMs = 60000;
// The 1000 x 640 main window centred on the 1280 x 800 test screen.
constexpr POINT kCentredOrigin{140, 80};
constexpr int kLoginX = 803, kLoginY = 25;
constexpr int kViewX = 1, kViewY = 91;
constexpr COLORREF kPageColour = RGB(0xe0, 0xf0, 0xd0);
constexpr COLORREF kAvatarColour = RGB(0xff, 0x80, 0x00);
constexpr COLORREF kRefreshColour = RGB(0x5e, 0x70, 0xc4);
// Where the failure state's refresh button stands, below the loading animation, whose dots have
// the button's colour too.
constexpr RECT kRefreshArea{440, 395, 560, 445};

// The page: two fields and a button at fixed places; focus and values of the fields are
// reported to the site, and the button reports the first field's text and then logs in through
// the program's script function.
std::string LoginPage(const std::string& avatarUrl)
{
    return R"page(<!doctype html><html><head><meta charset="utf-8"><title>login</title><style>
body{margin:0;background:#e0f0d0} #name{position:absolute;left:20px;top:20px;width:200px;height:30px}
#go{position:absolute;left:20px;top:80px;width:200px;height:40px}
#pass{position:absolute;left:260px;top:20px;width:200px;height:30px}</style></head><body>
<input id="name" onfocus="fetch('/focused')"><input id="pass"><button id="go">login</button><script>
document.addEventListener('focusin', function (e) { fetch('/r?focus-' + e.target.id); });
document.addEventListener('input', function (e) {
  fetch('/r?value-' + e.target.id + '-' + encodeURIComponent(e.target.value));
});
document.getElementById('go').onclick = function () {
  var v = document.getElementById('name').value;
  fetch('/typed?v=' + encodeURIComponent(v)).then(function () {
    OnLoginCallBack(btoa(JSON.stringify({account: 'alice', uuid: 'u1', ukey: 'key+/=', img_url: ')page" +
           avatarUrl + R"page('})));
  });
};
function clearCookie() { fetch('/cleared'); }
</script></body></html>)page";
}

class WebPanelE2eTest : public DisplayTest
{
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped())
            return;
        // The program's own folder: config.ini and the avatar are written beside it.
        for (const char* file : {PICTAVO_PROGRAM, PICTAVO_WKE_LIBRARY, PICTAVO_DUILIB_LIBRARY})
            fs::copy_file(file, m_program / fs::path(file).filename());
        fs::create_directories(fs::path(std::getenv("HOME")) / "Documents" / "Pictavo");
    }

    void TearDown() override
    {
        if (!m_window.empty())
            XServer::Run("xdotool windowclose " + m_window + " 2>/dev/null");
    }

    void Start(const std::string& loginUrl, const std::string& storedKey = "")
    {
        std::ofstream(m_program / "config.ini")
            << "[Config]\nlogin_url=" << loginUrl << "\ninstall_stattistics=0\nkey=" << storedKey << "\n";
        XServer::Run("(" + (m_program / "Pictavo").string() + "; echo exit=$?) >'" + m_dir / "out.txt" +
                     "' 2>&1 &");
        ASSERT_TRUE(WaitUntil(
            [&] {
                m_window =
                    XServer::Output("xdotool search --onlyvisible --name '^Pictavo$' 2>/dev/null | tail -1");
                return !m_window.empty();
            },
            15000))
            << testsupport::ReadFile(m_dir / "out.txt");
        while (!m_window.empty() && m_window.back() == '\n')
            m_window.pop_back();
        // Clicks are aimed at window coordinates only once the window stands where it is shown.
        ASSERT_TRUE(WaitUntil(
            [&] {
                m_origin = WindowOrigin(m_window);
                return m_origin.x == kCentredOrigin.x && m_origin.y == kCentredOrigin.y;
            },
            kPatienceMs));
    }

    void ClickAt(const std::string& window, int x, int y)
    {
        XServer::Run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
                     std::to_string(y) + " click 1");
    }

    // Clicks until done() holds: a click given before the window or the page could take it
    // (a loaded machine, a web process still starting) is given again.
    bool ClickUntil(const std::string& window, int x, int y, const std::function<bool()>& done,
                    int timeoutMs = kPatienceMs)
    {
        return WaitUntil(
            [&] {
                ClickAt(window, x, y);
                return WaitUntil(done, 3000);
            },
            timeoutMs);
    }

    bool ShowsColour(COLORREF colour, RECT area, const char* shot)
    {
        return WaitForColour(colour, area, shot, 0).x != -1;
    }

    // A new screenshot's first place of the colour in the window rectangle given (window
    // coordinates): {-1, -1} when it is not there, {-2, -2} when no screenshot was taken.
    POINT FindColour(COLORREF colour, RECT area, const char* shot) const
    {
        Screenshot screen;
        if (!screen.Take(ShotPath(shot)))
            return POINT{-2, -2};
        for (int y = area.top; y < area.bottom; y += 2)
        {
            for (int x = area.left; x < area.right; x += 2)
            {
                if (screen.Pixel(m_origin.x + x, m_origin.y + y) == colour)
                    return POINT{x, y};
            }
        }
        return POINT{-1, -1};
    }

    // Waits until the screen shows the colour somewhere in the window rectangle given; its
    // place, or {-1, -1}.
    POINT WaitForColour(COLORREF colour, RECT area, const char* shot, int timeoutMs = kPatienceMs)
    {
        POINT found{-1, -1};
        WaitUntil([&] { return (found = FindColour(colour, area, shot)).x >= 0; }, timeoutMs);
        return found.x >= 0 ? found : POINT{-1, -1};
    }

    // Waits until the window rectangle shows the colour nowhere: a repaint may come late.
    bool WaitForNoColour(COLORREF colour, RECT area, const char* shot, int timeoutMs = kPatienceMs)
    {
        return WaitUntil([&] { return FindColour(colour, area, shot).x == -1; }, timeoutMs);
    }

    // Whether the site got these requests in this order (others between them).
    static bool InOrder(const LoginSite& site, const std::vector<std::string>& wanted)
    {
        size_t next = 0;
        for (const std::string& request : site.Requests())
        {
            if (next < wanted.size() && request == wanted[next])
                ++next;
        }
        return next == wanted.size();
    }

    // The account window from the avatar at avatarAt, then its logout button; the page's
    // clearCookie runs.
    void LogOutThroughTheAccountWindow(const LoginSite& site, POINT avatarAt)
    {
        std::string center;
        ASSERT_TRUE(ClickUntil(m_window, avatarAt.x, avatarAt.y, [&] {
            center =
                XServer::Output("xdotool search --onlyvisible --name '^账号信息$' 2>/dev/null | tail -1");
            return !center.empty();
        }));
        while (!center.empty() && center.back() == '\n')
            center.pop_back();
        Screenshot shot;
        shot.Take(ShotPath("account-window"));
        EXPECT_TRUE(ClickUntil(center, 44, 92, [&] { return site.Count("/cleared") > 0; }))
            << "clearCookie ran";
    }

    // The login key stored in config.ini as it is written there.
    std::string StoredKey() const
    {
        std::istringstream config(testsupport::ReadFile(m_program / "config.ini"));
        for (std::string line; std::getline(config, line);)
        {
            if (line.rfind("key=", 0) == 0)
                return line.substr(4);
        }
        return {};
    }

    static void Serve(LoginSite& site, const std::string& page)
    {
        site.Serve("/Soft/Oauth/Login", 200, page, "text/html; charset=utf-8");
        for (const char* path : {"/typed", "/cleared", "/focused", "/r"})
            site.Serve(path, 200, "ok", "text/plain");
        site.Serve("/avatar.png", 200, webtest::MakePng(30, 30, "#ff8000"), "image/png");
    }

    // The program's log, all days.
    std::string Log() const
    {
        std::string text;
        if (fs::exists(m_program / "log"))
        {
            for (const auto& entry : fs::directory_iterator(m_program / "log"))
                text += testsupport::ReadFile(entry.path());
        }
        return text;
    }

    testsupport::TempDir m_dir{"web-e2e"};
    testsupport::TempDir m_programDir{"program"};
    fs::path m_program{m_programDir.path()};
    std::string m_window;
    POINT m_origin{};
};
} // namespace

TEST_F(WebPanelE2eTest, APageLoginEndsInTheTitleBarAndLogoutRunsThePagesClearCookie)
{
    LoginSite site;
    ASSERT_TRUE(site.ok());
    Serve(site, LoginPage(site.Url("/avatar.png")));
    Start(site.Url("/Soft/Oauth/Login"));

    // Clicked again only until the site sees the request: another click would start the load over.
    ASSERT_TRUE(ClickUntil(m_window, kLoginX, kLoginY, [&] { return site.Count("/Soft/Oauth/Login") > 0; }));
    ASSERT_NE(WaitForColour(kPageColour, RECT{300, 300, 310, 310}, "web-page").x, -1)
        << "the login page is shown in the panel";

    // A click forwarded into the field focuses it; the typed text arrives once.
    ASSERT_TRUE(ClickUntil(m_window, kViewX + 120, kViewY + 35, [&] { return site.Count("/focused") > 0; }))
        << "the click reached the field";
    XServer::Run("xdotool type --delay 40 'ab中 x'");
    ASSERT_TRUE(WaitUntil([&] { return site.Count("/r?value-name-ab%E4%B8%AD%20x") > 0; }, kPatienceMs));

    // The keyboard as in any form: select all and copy, Tab to the second field, paste there,
    // Shift+Tab back to the first.
    XServer::Run("xdotool key --delay 60 ctrl+a ctrl+c Tab ctrl+v shift+Tab");
    EXPECT_TRUE(WaitUntil(
        [&] {
            return InOrder(site, {"/r?focus-pass", "/r?value-pass-ab%E4%B8%AD%20x", "/r?focus-name"});
        },
        kPatienceMs))
        << ::testing::PrintToString(site.Requests());
    Screenshot pasted;
    pasted.Take(ShotPath("web-pasted"));

    // A right click in a field opens the engine's own menu at the pointer; Escape closes it.
    const int menuX = m_origin.x + kViewX + 300, menuY = m_origin.y + kViewY + 35;
    XServer::Run("xdotool mousemove " + std::to_string(menuX) + " " + std::to_string(menuY) + " click 3");
    const std::string at = "X=" + std::to_string(menuX);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::string shown = XServer::Output(
                "xdotool search --onlyvisible --name '' getwindowgeometry --shell %@ 2>/dev/null");
            return shown.find(at) != std::string::npos;
        },
        kPatienceMs))
        << "no menu at the pointer";
    Screenshot menu;
    menu.Take(ShotPath("web-context-menu"));
    XServer::Run("xdotool key Escape");
    ASSERT_TRUE(ClickUntil(m_window, kViewX + 120, kViewY + 100, [&] { return site.Count("/typed") > 0; }));
    const std::vector<std::string> requests = site.Requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "/typed?v=ab%E4%B8%AD%20x"), requests.end())
        << "typed once, in order: " << ::testing::PrintToString(requests);

    // The page's login call: back on the conversion page, the avatar in the title bar.
    const POINT avatar = WaitForColour(kAvatarColour, RECT{600, 5, 900, 45}, "logged-in");
    ASSERT_NE(avatar.x, -1) << "the avatar in the title bar";
    EXPECT_TRUE(fs::exists(m_program / "alice.png"));
    EXPECT_NE(testsupport::ReadFile(m_program / "config.ini").find("key="), std::string::npos);

    // The account window, then logout: the page's clearCookie runs and the login button is back.
    LogOutThroughTheAccountWindow(site, avatar);
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(m_program / "alice.png"); }, 5000));
    EXPECT_TRUE(WaitForNoColour(kAvatarColour, RECT{600, 5, 900, 45}, "logged-out"));
}

TEST_F(WebPanelE2eTest, AClosedPortShowsTheFailureStateAndRefreshLoadsThePageOnceItListens)
{
    int port = 0;
    {
        LoginSite probe; // a port that was free a moment ago, closed again
        port = probe.port();
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/Soft/Oauth/Login";
    Start(url);
    ASSERT_TRUE(ClickUntil(m_window, kLoginX, kLoginY,
                           [&] { return ShowsColour(kRefreshColour, kRefreshArea, "web-failed"); }));
    const POINT refresh = WaitForColour(kRefreshColour, kRefreshArea, "web-failed");
    ASSERT_NE(refresh.x, -1) << "the failure state's refresh button";

    LoginSite site(port);
    ASSERT_TRUE(site.ok());
    // The page moves on to the same site under another name, whose calls the program refuses.
    std::string page = LoginPage(site.Url("/avatar.png"));
    page.replace(page.find("function clearCookie"), 0,
                 "if (location.hostname === '127.0.0.1') location.replace(location.href.replace('127.0.0.1', "
                 "'localhost'));\nelse { OnLoginCallBack('e30='); fetch('/called'); }\n");
    site.Serve("/Soft/Oauth/Login", 200, page, "text/html; charset=utf-8");
    site.Serve("/called", 200, "ok", "text/plain");
    ASSERT_TRUE(ClickUntil(m_window, refresh.x + 4, refresh.y + 4,
                           [&] { return site.Count("/Soft/Oauth/Login") > 0; }));
    EXPECT_NE(WaitForColour(kPageColour, RECT{300, 300, 310, 310}, "web-refreshed").x, -1)
        << "refresh loaded the page";

    // The refused call leaves a trace naming where it came from.
    ASSERT_TRUE(WaitUntil([&] { return site.Count("/called") > 0; }, kPatienceMs));
    const std::string origin = "origin=http://localhost:" + std::to_string(port);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::string log = Log();
            const size_t at = log.find(origin);
            return at != std::string::npos && log.rfind("[WARN]", at) != std::string::npos &&
                   log.find("OnLoginCallBack", log.rfind('\n', at) + 1) < at;
        },
        10000))
        << Log();
    EXPECT_TRUE(WaitForNoColour(kAvatarColour, RECT{600, 5, 900, 45}, "refused-call", 2000))
        << "not logged in";
}

TEST_F(WebPanelE2eTest, TheStoredKeyLogsInAgainAndNoKeyedPageComesBackAfterLogout)
{
    // The page logs in by itself when it is given a key, as the service's page does.
    auto site = std::make_unique<LoginSite>();
    ASSERT_TRUE(site->ok());
    // The page logs in by itself when it is given a key, as the service's page does.
    std::string page = LoginPage(site->Url("/avatar.png"));
    page.replace(page.find("function clearCookie"), 0,
                 "if (location.search.indexOf('ukey=') >= 0) document.getElementById('go').onclick();\n");
    Serve(*site, page);
    Start(site->Url("/Soft/Oauth/Login"), "a2V5Ky89"); // base64 of key+/=

    const POINT avatar = WaitForColour(kAvatarColour, RECT{600, 5, 900, 45}, "auto-login");
    ASSERT_NE(avatar.x, -1) << "logged in without a click, the window still on its conversion page";
    bool keyed = false;
    for (const std::string& request : site->Requests())
        keyed = keyed || request.find("ukey=key%2B%2F%3D") != std::string::npos;
    EXPECT_TRUE(keyed) << "the key reaches the page intact: " << ::testing::PrintToString(site->Requests());

    // Logout; with the site down the login page fails; with the site back "刷新" asks for the
    // page that failed, never again for the keyed address of the auto-login before it.
    LogOutThroughTheAccountWindow(*site, avatar);
    ASSERT_TRUE(WaitUntil([&] { return StoredKey().empty(); }, 5000));
    const int port = site->port();
    site.reset();
    ASSERT_TRUE(ClickUntil(m_window, kLoginX, kLoginY,
                           [&] { return ShowsColour(kRefreshColour, kRefreshArea, "logged-out-failed"); }));
    const POINT refresh = WaitForColour(kRefreshColour, kRefreshArea, "logged-out-failed");
    ASSERT_NE(refresh.x, -1);
    LoginSite later(port);
    ASSERT_TRUE(later.ok());
    Serve(later, page);
    ASSERT_TRUE(ClickUntil(m_window, refresh.x + 4, refresh.y + 4,
                           [&] { return later.Count("/Soft/Oauth/Login") > 0; }));
    EXPECT_NE(WaitForColour(kPageColour, RECT{300, 300, 310, 310}, "logged-out-refreshed").x, -1);
    for (const std::string& request : later.Requests())
        EXPECT_EQ(request.find("ukey="), std::string::npos) << request;
    EXPECT_TRUE(StoredKey().empty());
    EXPECT_TRUE(WaitForNoColour(kAvatarColour, RECT{600, 5, 900, 45}, "logged-out-stays", 2000));
}

TEST_F(WebPanelE2eTest, AnEngineWithoutItsFunctionsIsNamedInOneBoxAndTheProgramGoesOn)
{
    // A library of the right name that holds none of the engine's functions: zlib's.
    Dl_info zlib{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&zlibVersion), &zlib), 0);
    fs::copy_file(zlib.dli_fname, m_program / "libwke.so", fs::copy_options::overwrite_existing);
    std::ofstream(m_program / "config.ini") << "[Config]\ninstall_stattistics=0\n";
    XServer::Run("(" + (m_program / "Pictavo").string() + "; echo exit=$?) >'" + m_dir / "out.txt" +
                 "' 2>&1 &");
    std::string boxes;
    ASSERT_TRUE(WaitUntil(
        [&] {
            boxes = XServer::Output("xdotool search --onlyvisible --name '^wke api not found$' 2>/dev/null");
            return !boxes.empty();
        },
        15000))
        << testsupport::ReadFile(m_dir / "out.txt");
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), '\n'), 1) << "one box for all of them";
    Screenshot shot;
    shot.Take(ShotPath("wke-missing"));
    // Its one button answers Enter once the box has the keyboard; given again until it took it.
    const std::string box = boxes.substr(0, boxes.find('\n'));
    ASSERT_TRUE(WaitUntil(
        [&] {
            XServer::Run("xdotool windowfocus " + box + " key Return");
            return WaitUntil(
                [&] {
                    m_window = XServer::Output(
                        "xdotool search --onlyvisible --name '^Pictavo$' 2>/dev/null | tail -1");
                    return !m_window.empty();
                },
                3000);
        },
        kPatienceMs))
        << "the program goes on without its web panel";
    while (!m_window.empty() && m_window.back() == '\n')
        m_window.pop_back();
    EXPECT_TRUE(
        XServer::Output("xdotool search --onlyvisible --name '^wke api not found$' 2>/dev/null").empty());
    for (const char* name : {"wkeInitializeEx", "wkeCreateWebView", "jsBindFunction", "jsGetWebView"})
        EXPECT_NE(Log().find(std::string("wke api not found: ") + name), std::string::npos) << name;
}
