// libwke.so on a private display with a page from a real site on 127.0.0.1: keys as the host
// passes them (virtual key, modifier bits, characters) reach the page as GTK gives them to a
// view on the screen, the shortcuts work through the display's clipboard, a failed load is the
// one a reload asks for again, and the page's cursor styles come back as cursor codes.
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/XServer.h"
#include "tests/main/webpanel/LoginSite.h"

#include "webview/wke.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

using e2e::DisplayTest;
using webtest::LoginSite;

namespace
{
constexpr unsigned kMouseMove = 0x0200, kLeftDown = 0x0201, kLeftUp = 0x0202, kLeftButton = 0x1;
constexpr unsigned kRightDown = 0x0204, kRightUp = 0x0205, kRightButton = 0x2;
constexpr unsigned kVkTab = 0x09, kVkShift = 0x10, kVkControl = 0x11, kVkEnd = 0x23, kVkHome = 0x24,
                   kVkLeft = 0x25, kVkDelete = 0x2E, kVkF2 = 0x71, kVkPageDown = 0x22;

std::vector<std::string> g_reports;

std::string Narrow(const wchar_t* text)
{
    gchar* utf8 = g_ucs4_to_utf8(reinterpret_cast<const gunichar*>(text), -1, nullptr, nullptr, nullptr);
    std::string result = utf8 != nullptr ? utf8 : "";
    g_free(utf8);
    return result;
}

jsValue Report(jsExecState es)
{
    g_reports.push_back(Narrow(jsToTempStringW(es, jsArg(es, 0))));
    return jsUndefined();
}

// Two fields, two areas with cursor styles; every key down, focus and value is reported.
const char* const kPage = R"page(<!doctype html><html><head><meta charset="utf-8"></head>
<body style="margin:0">
<input id="a" style="position:absolute;left:10px;top:10px;width:200px;height:30px">
<input id="b" style="position:absolute;left:10px;top:60px;width:200px;height:30px">
<div style="position:absolute;left:10px;top:120px;width:90px;height:40px;cursor:help"></div>
<div style="position:absolute;left:120px;top:120px;width:90px;height:40px;cursor:ew-resize"></div>
<script>
document.addEventListener('keydown', function (e) {
  Report('key ' + e.key + (e.ctrlKey ? ' ctrl' : '') + (e.shiftKey ? ' shift' : ''));
}, true);
document.addEventListener('focusin', function (e) { Report('focus ' + e.target.id); });
document.addEventListener('input', function (e) { Report('value ' + e.target.id + '=' + e.target.value); });
</script></body></html>)page";

class WebViewInputTest : public DisplayTest
{
protected:
    WebViewInputTest() : DisplayTest({}) {}

    void SetUp() override
    {
        DisplayTest::SetUp();
        if (IsSkipped())
            return;
        g_reports.clear();
        wkeInitializeEx(nullptr);
        jsBindFunction("Report", &Report, 1);
        m_view = wkeCreateWebView();
        ASSERT_NE(m_view, nullptr);
        wkeOnLoadingFinish(m_view, &OnFinish, this);
        wkeResize(m_view, 400, 300);
    }

    void TearDown() override
    {
        if (m_view != nullptr)
            wkeDestroyWebView(m_view);
    }

    static void OnFinish(wkeWebView, void* self, const wkeString, wkeLoadingResult result, const wkeString)
    {
        static_cast<WebViewInputTest*>(self)->m_results.push_back(result);
    }

    // Runs the display's loop until done() holds; a web process starting on a loaded machine
    // can take many seconds, so the limit is wide and every wait ends as soon as it can.
    static bool Until(const std::function<bool()>& done, int timeoutMs = 60000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;
            if (!g_main_context_iteration(nullptr, FALSE))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static bool Reported(const std::string& text)
    {
        return Until([&] { return std::find(g_reports.begin(), g_reports.end(), text) != g_reports.end(); });
    }

    // What the page reported since the mark, waited for until the last one given is there.
    static std::vector<std::string> ReportsSince(size_t mark, const std::string& last)
    {
        Until([&] { return std::find(g_reports.begin() + mark, g_reports.end(), last) != g_reports.end(); });
        return std::vector<std::string>(g_reports.begin() + mark, g_reports.end());
    }

    // A key as the host passes it: the modifier keys of flags held around it.
    void Press(unsigned virtualKey, unsigned flags = 0, unsigned charCode = 0)
    {
        if (flags & WKE_KEY_SHIFT)
            wkeFireKeyDownEvent(m_view, kVkShift, WKE_KEY_SHIFT, false);
        if (flags & WKE_KEY_CONTROL)
            wkeFireKeyDownEvent(m_view, kVkControl, flags & (WKE_KEY_SHIFT | WKE_KEY_CONTROL), false);
        wkeFireKeyDownEvent(m_view, virtualKey, flags, false);
        if (charCode != 0)
            wkeFireKeyPressEvent(m_view, charCode, flags, false);
        wkeFireKeyUpEvent(m_view, virtualKey, flags, false);
        if (flags & WKE_KEY_CONTROL)
            wkeFireKeyUpEvent(m_view, kVkControl, flags & WKE_KEY_SHIFT, false);
        if (flags & WKE_KEY_SHIFT)
            wkeFireKeyUpEvent(m_view, kVkShift, 0, false);
    }

    void Type(const std::string& text)
    {
        for (const char ch : text)
        {
            wkeFireKeyDownEvent(m_view, static_cast<unsigned>(g_ascii_toupper(ch)), 0, false);
            wkeFireKeyPressEvent(m_view, static_cast<unsigned>(ch), 0, false);
            wkeFireKeyUpEvent(m_view, static_cast<unsigned>(g_ascii_toupper(ch)), 0, false);
        }
    }

    void Click(int x, int y)
    {
        wkeFireMouseEvent(m_view, kMouseMove, x, y, 0);
        wkeFireMouseEvent(m_view, kLeftDown, x, y, kLeftButton);
        wkeFireMouseEvent(m_view, kLeftUp, x, y, 0);
    }

    // Clicks until the page reports the focus: a click before the page laid out is lost.
    bool ClickUntilFocused(int x, int y, const std::string& report)
    {
        return Until([&] {
            Click(x, y);
            return Until(
                [&] { return std::find(g_reports.begin(), g_reports.end(), report) != g_reports.end(); },
                1000);
        });
    }

    // The load of the test page, to its end.
    bool LoadForm(const LoginSite& site)
    {
        const std::string url = site.Url("/form");
        m_results.clear();
        wkeLoadURLW(m_view, std::wstring(url.begin(), url.end()).c_str());
        return Until([&] { return !m_results.empty(); }) && m_results[0] == WKE_LOADING_SUCCEEDED;
    }

    static std::string ClipboardText()
    {
        gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
        std::string result = text != nullptr ? text : "";
        g_free(text);
        return result;
    }

    wkeWebView m_view = nullptr;
    std::vector<int> m_results;
};
} // namespace

TEST_F(WebViewInputTest, KeysShortcutsAndTheClipboardReachThePageAsOnTheScreen)
{
    LoginSite site;
    ASSERT_TRUE(site.ok());
    site.Serve("/form", 200, kPage, "text/html; charset=utf-8");
    wkeLoadURLW(m_view, L"about:blank");
    ASSERT_TRUE(Until([&] { return !m_results.empty(); }));
    m_results.clear();
    const std::string url = site.Url("/form");
    wkeLoadURLW(m_view, std::wstring(url.begin(), url.end()).c_str());
    ASSERT_TRUE(Until([&] { return !m_results.empty(); }));
    ASSERT_EQ(m_results[0], WKE_LOADING_SUCCEEDED);
    wkeSetFocus(m_view);

    // Typed text, then select all and copy onto the display's clipboard.
    ASSERT_TRUE(ClickUntilFocused(60, 25, "focus a"));
    Type("hi");
    ASSERT_TRUE(Reported("value a=hi"));
    Press('A', WKE_KEY_CONTROL, 0x01);
    Press('C', WKE_KEY_CONTROL, 0x03);
    ASSERT_TRUE(Until([] { return ClipboardText() == "hi"; })) << "copied: " << ClipboardText();

    // Tab once to the second field, paste there, and Shift+Tab back to the first.
    size_t mark = g_reports.size();
    Press(kVkTab, 0, '\t');
    Press('V', WKE_KEY_CONTROL, 0x16);
    Press(kVkTab, WKE_KEY_SHIFT, '\t');
    EXPECT_EQ(ReportsSince(mark, "focus a"),
              (std::vector<std::string>{"key Tab", "focus b", "key Control ctrl", "key v ctrl", "value b=hi",
                                        "key Shift shift", "key Tab shift", "focus a"}));

    // Cut and undo in the first field.
    Press('A', WKE_KEY_CONTROL, 0x01);
    Press('X', WKE_KEY_CONTROL, 0x18);
    ASSERT_TRUE(Reported("value a="));
    Press('Z', WKE_KEY_CONTROL, 0x1A);
    ASSERT_TRUE(Until([&] { return g_reports.back() == "value a=hi"; })) << g_reports.back();

    // Keys that type nothing, each reported once and under its own name.
    mark = g_reports.size();
    for (const unsigned key : {kVkEnd, kVkHome, kVkLeft, kVkDelete, kVkPageDown, kVkF2})
        Press(key);
    const std::vector<std::string> named = ReportsSince(mark, "key F2");
    for (const char* name : {"key End", "key Home", "key ArrowLeft", "key Delete", "key PageDown", "key F2"})
        EXPECT_EQ(std::count(named.begin(), named.end(), name), 1) << name;

    // A control character without its key down is a key event of its own: Ctrl+A selects all,
    // so the next character replaces the text.
    wkeFireKeyPressEvent(m_view, 0x01, 0, false);
    Type("z");
    EXPECT_TRUE(Until([] { return g_reports.back() == "value a=z"; })) << g_reports.back();

    // What another program put on the clipboard is pasted.
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "外部 text", -1);
    Press('A', WKE_KEY_CONTROL, 0x01);
    Press('V', WKE_KEY_CONTROL, 0x16);
    EXPECT_TRUE(Until([] { return g_reports.back() == "value a=外部 text"; })) << g_reports.back();
}

TEST_F(WebViewInputTest, CursorStylesOfThePageBecomeCursorCodes)
{
    LoginSite site;
    ASSERT_TRUE(site.ok());
    site.Serve("/form", 200, kPage, "text/html; charset=utf-8");
    const std::string url = site.Url("/form");
    wkeLoadURLW(m_view, std::wstring(url.begin(), url.end()).c_str());
    ASSERT_TRUE(Until([&] { return !m_results.empty(); }));
    const struct
    {
        int x, y, code;
    } places[] = {{50, 140, WKE_CURSOR_HELP},
                  {160, 140, WKE_CURSOR_SIZE_WE},
                  {60, 25, WKE_CURSOR_IBEAM},
                  {300, 250, WKE_CURSOR_POINTER}};
    for (const auto& place : places)
    {
        EXPECT_TRUE(Until([&] {
            wkeFireMouseEvent(m_view, kMouseMove, place.x, place.y, 0);
            return Until([&] { return wkeGetCursorInfoType(m_view) == place.code; }, 300);
        })) << place.x
            << "," << place.y << " gives " << wkeGetCursorInfoType(m_view);
    }
}

TEST_F(WebViewInputTest, AReloadAfterAFailedLoadAsksForTheAddressThatFailed)
{
    LoginSite site;
    ASSERT_TRUE(site.ok());
    site.Serve("/old", 200, "<p>old page</p>", "text/html");
    site.Serve("/new", 200, "<p>new page</p>", "text/html");
    const std::string oldUrl = site.Url("/old");
    wkeLoadURLW(m_view, std::wstring(oldUrl.begin(), oldUrl.end()).c_str());
    ASSERT_TRUE(Until([&] { return !m_results.empty(); }));
    ASSERT_EQ(m_results.back(), WKE_LOADING_SUCCEEDED);

    // The next address on a port where nothing listens yet.
    int port = 0;
    {
        LoginSite probe;
        port = probe.port();
    }
    const std::string failing = "http://127.0.0.1:" + std::to_string(port) + "/new";
    m_results.clear();
    wkeLoadURLW(m_view, std::wstring(failing.begin(), failing.end()).c_str());
    ASSERT_TRUE(Until([&] { return !m_results.empty(); }));
    ASSERT_EQ(m_results.back(), WKE_LOADING_FAILED);

    LoginSite later(port);
    ASSERT_TRUE(later.ok());
    later.Serve("/new", 200, "<p>new page</p>", "text/html");
    const int oldBefore = site.Count("/old");
    m_results.clear();
    wkeReload(m_view);
    ASSERT_TRUE(Until([&] { return !m_results.empty(); }));
    EXPECT_EQ(m_results.back(), WKE_LOADING_SUCCEEDED);
    EXPECT_EQ(later.Count("/new"), 1) << "the failed address is asked for";
    EXPECT_EQ(site.Count("/old"), oldBefore) << "the page before is not loaded again";
    EXPECT_EQ(std::string(wkeGetURL(m_view)), failing);
}

TEST_F(WebViewInputTest, TheContextMenuOfAFieldOpensAtThePointerAndPastes)
{
    LoginSite site;
    ASSERT_TRUE(site.ok());
    site.Serve("/form", 200, kPage, "text/html; charset=utf-8");
    ASSERT_TRUE(LoadForm(site));
    wkeSetFocus(m_view);
    ASSERT_TRUE(ClickUntilFocused(60, 75, "focus b"));
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "from the menu", -1);

    // The view stands on the screen where the host shows it: here, with its point (60, 75) under
    // the pointer at (500, 400).
    ASSERT_TRUE(e2e::XServer::Run("xdotool mousemove 500 400"));
    wkeFireMouseEvent(m_view, kMouseMove, 60, 75, 0);
    wkeFireMouseEvent(m_view, kRightDown, 60, 75, kRightButton);
    wkeFireMouseEvent(m_view, kRightUp, 60, 75, 0);
    std::string menu;
    ASSERT_TRUE(Until([&] {
        menu = e2e::XServer::Output(
            "xdotool search --onlyvisible --name '' getwindowgeometry --shell %@ 2>/dev/null");
        return menu.find("X=500\n") != std::string::npos || menu.find("X=501\n") != std::string::npos;
    })) << menu;

    // Its "Paste" by its mnemonic.
    ASSERT_TRUE(e2e::XServer::Run("xdotool key p"));
    EXPECT_TRUE(Reported("value b=from the menu"));
}
