// The request manager against real servers on 127.0.0.1, with replies received by a headless
// window of the test thread.
#include "common/http/HttpMgr.h"
#include "common/base/Log.h"
#include "tests/support/TestServers.h"
#include "tests/support/TestSupport.h"

#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace
{
using httptest::LocalHttpServer;
using namespace std::chrono_literals;

std::vector<HttpReply> g_received;

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_HTTP_REPLY)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // The receiver owns the record.
    std::unique_ptr<HttpReply> reply(reinterpret_cast<HttpReply*>(wParam));
    g_received.push_back(*reply);
    return 1;
}

// A headless window of the calling thread that collects the replies it receives.
class ReplyWindow
{
public:
    ReplyWindow()
    {
        static const ATOM registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &ReplyProc;
            wc.lpszClassName = L"HttpReplyTestWindow";
            return RegisterClassExW(&wc);
        }();
        EXPECT_NE(0, registered);
        m_hwnd = CreateWindowExW(0, L"HttpReplyTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        g_received.clear();
    }
    ~ReplyWindow()
    {
        if (m_hwnd != nullptr)
            DestroyWindow(m_hwnd);
    }
    ReplyWindow(const ReplyWindow&) = delete;
    ReplyWindow& operator=(const ReplyWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }

    // Runs the message loop until count replies came or the limit passed; a timer wakes it.
    const std::vector<HttpReply>& Wait(size_t count, std::chrono::milliseconds limit = 5000ms)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        SetTimer(m_hwnd, 1, 20, nullptr);
        MSG msg{};
        while (g_received.size() < count && std::chrono::steady_clock::now() < deadline &&
               GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        KillTimer(m_hwnd, 1);
        return g_received;
    }

private:
    HWND m_hwnd = nullptr;
};

// True once IsRunning(id) turned false within the limit.
bool Finishes(int id, std::chrono::milliseconds limit = 3000ms)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (CHttpMgr::IsRunning(id) && std::chrono::steady_clock::now() < deadline)
        Sleep(5);
    return !CHttpMgr::IsRunning(id);
}

class HttpMgrTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static testsupport::TempDir logDir("log");
        s_logPath = logDir / "http.log";
        CLog::GetInstance()->Init(logDir.path().c_str(), "http.log");
        CHttpMgr::GetInstance();
    }

    void TearDown() override { CHttpMgr::SetRequestOptions(5, 60, true); }

    // Waits for a line that contains text; lines are written by the log's own thread.
    static bool LogHas(const std::string& text, std::chrono::milliseconds limit = 3000ms)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (testsupport::ReadFile(s_logPath).find(text) == std::string::npos)
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            Sleep(10);
        }
        return true;
    }

    // Whether text was logged before a marker written now.
    static bool LoggedBefore(const std::string& text)
    {
        static int markers = 0;
        const std::wstring marker = L"marker-" + std::to_wstring(++markers);
        LOG_ERROR(L"HttpMgrTest", L"%s", marker.c_str());
        EXPECT_TRUE(LogHas(testsupport::Narrow(marker)));
        return testsupport::ReadFile(s_logPath).find(text) != std::string::npos;
    }

    static std::string s_logPath;
    LocalHttpServer m_server;
    ReplyWindow m_window;
};

std::string HttpMgrTest::s_logPath;

// ---- Asynchronous requests ---------------------------------------------------------------------

TEST_F(HttpMgrTest, BackToBackRequestsGetConsecutiveIdsAndTheirOwnReplies)
{
    ASSERT_NE(nullptr, m_window.hwnd());
    const int first = CHttpMgr::AsyncGet(m_server.Url("/hello"), m_window.hwnd(), 11);
    const int second = CHttpMgr::AsyncPost(m_server.Url("/echo"), "x=1", m_window.hwnd(), 22);
    ASSERT_GT(first, 0);
    EXPECT_EQ(first + 1, second);

    const std::vector<HttpReply>& replies = m_window.Wait(2);
    ASSERT_EQ(2u, replies.size());
    for (const HttpReply& reply : replies)
    {
        if (reply.id == first)
        {
            EXPECT_EQ(11, reply.tag);
            EXPECT_EQ("hello, world", reply.body);
        }
        else
        {
            EXPECT_EQ(second, reply.id);
            EXPECT_EQ(22, reply.tag);
            EXPECT_EQ("got 3 bytes", reply.body);
        }
    }
    EXPECT_TRUE(Finishes(first));
    EXPECT_TRUE(Finishes(second));
    EXPECT_EQ("x=1", m_server.LastPost().body);
}

TEST_F(HttpMgrTest, FailedRequestsReplyOnceAndLogTheirFailure)
{
    const std::string refused = "http://127.0.0.1:" + std::to_string(httptest::ClosedPort()) + "/stats";
    const int missing = CHttpMgr::AsyncGet(m_server.Url("/missing"), m_window.hwnd(), 1);
    const int unreachable = CHttpMgr::AsyncPost(refused, "info=e30=", m_window.hwnd(), 2);

    const std::vector<HttpReply>& replies = m_window.Wait(2);
    ASSERT_EQ(2u, replies.size());
    for (const HttpReply& reply : replies)
        EXPECT_EQ(reply.id == missing ? "<html>no such page</html>" : "", reply.body);
    EXPECT_TRUE(LogHas("[ERROR]get url=" + m_server.Url("/missing") + " code=404 reason=No error"));
    EXPECT_TRUE(LogHas("[ERROR]post url=" + refused + " code=7 reason=Couldn't connect to server"));
    // Exactly one reply each, and no table entry left behind.
    EXPECT_TRUE(Finishes(missing));
    EXPECT_TRUE(Finishes(unreachable));
    EXPECT_EQ(2u, m_window.Wait(3, 200ms).size());
}

TEST_F(HttpMgrTest, ProgramOptionsSetTimeOutsAndSilenceTheLog)
{
    CHttpMgr::SetRequestOptions(1, 1, false);
    const auto start = std::chrono::steady_clock::now();
    const int id = CHttpMgr::AsyncGet(m_server.Url("/slow"), m_window.hwnd(), 3);
    const std::vector<HttpReply>& replies = m_window.Wait(1);
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ(id, replies[0].id);
    EXPECT_EQ("", replies[0].body);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3000ms);
    EXPECT_FALSE(LoggedBefore("url=" + m_server.Url("/slow")));
}

TEST_F(HttpMgrTest, SelfSignedServiceIsRefused)
{
    testsupport::TempDir certs("certs");
    ASSERT_TRUE(httptest::MakeSelfSignedCertificate(certs.path()));
    LocalHttpServer tls(certs.path());
    const int id = CHttpMgr::AsyncPost(tls.Url("/echo"), "info=secret", m_window.hwnd(), 4);
    const std::vector<HttpReply>& replies = m_window.Wait(1);
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ(id, replies[0].id);
    EXPECT_EQ("", replies[0].body);
    EXPECT_EQ(0, tls.RequestCount());
    EXPECT_TRUE(LogHas("post url=" + tls.Url("/echo") + " code=60 reason="));
}

TEST_F(HttpMgrTest, ReplyToAWindowThatIsGoneIsFreedByTheRequestThread)
{
    // Checked by the leak sanitizer at exit: the record nobody received must not remain.
    HWND gone = CreateWindowExW(0, L"HttpReplyTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, gone);
    DestroyWindow(gone);
    const int id = CHttpMgr::AsyncGet(m_server.Url("/hello"), gone, 5);
    EXPECT_TRUE(Finishes(id));
    EXPECT_EQ(1, m_server.RequestCount());
    EXPECT_TRUE(m_window.Wait(1, 100ms).empty());
}

// ---- Synchronous requests ------------------------------------------------------------------------

TEST_F(HttpMgrTest, SyncGetReportsSuccessAndAlwaysFillsTheBody)
{
    std::string body;
    EXPECT_TRUE(CHttpMgr::SyncGet(m_server.Url("/hello"), &body));
    EXPECT_EQ("hello, world", body);
    body.clear();
    EXPECT_FALSE(CHttpMgr::SyncGet(m_server.Url("/missing"), &body));
    EXPECT_EQ("<html>no such page</html>", body);
}

// ---- Version request -----------------------------------------------------------------------------

struct VersionCase
{
    const char* name;
    int status;
    std::string body;
    std::wstring version; // expected; L"old" means untouched
    std::wstring packUrl;
    std::string logged; // a text the ERROR line holds, or empty for no line
};

TEST_F(HttpMgrTest, VersionRepliesFillOrLeaveTheOutputs)
{
    const std::string full =
        R"({"success":true,"errmsg":"","result":{"version":"2.1.0.3","pack_url":"http://h/u.zip"}})";
    const std::string noErrmsg =
        R"({"success":true,"result":{"version":"2.1.0.4","pack_url":"http://h/v.zip"}})";
    const std::string refused = R"({"success":false,"errmsg":"busy","result":{"version":"2.1.0.5"}})";
    const std::string noPack = R"({"success":true,"errmsg":"","result":{"version":"2.1.0.6"}})";
    const std::string badType =
        R"({"success":true,"errmsg":"","result":{"version":"2.1.0.7","pack_url":[1]}})";
    const std::vector<VersionCase> cases = {
        {"full", 200, full, L"2.1.0.3", L"http://h/u.zip", ""},
        {"no-errmsg", 200, noErrmsg, L"old", L"old", "CHttpMgr::GetMajor 服务器返回异常 strData=" + noErrmsg},
        {"refused", 200, refused, L"old", L"old", "CHttpMgr::GetMajor 服务器返回异常 strData=" + refused},
        {"not-json", 200, "<html>502</html>", L"old", L"old", ""},
        {"no-pack", 200, noPack, L"2.1.0.6", L"old", ""},
        {"bad-type", 200, badType, L"2.1.0.7", L"old", "json parse error ret=" + badType},
        {"status-404", 404, full, L"old", L"old", ""},
    };
    for (const VersionCase& c : cases)
    {
        m_server.Serve(std::string("/version/") + c.name, c.status, c.body);
        std::wstring version = L"old";
        std::wstring packUrl = L"old";
        CHttpMgr::RequestVersion(m_server.Url(std::string("/version/") + c.name), &version, &packUrl);
        EXPECT_EQ(c.version, version) << c.name;
        EXPECT_EQ(c.packUrl, packUrl) << c.name;
        if (c.logged.empty())
        {
            EXPECT_FALSE(LoggedBefore(c.body)) << c.name;
        }
        else
        {
            EXPECT_TRUE(LogHas("[ERROR]" + c.logged)) << c.name;
        }
    }
}

TEST(VersionReplyParser, StatusOfEachShape)
{
    const std::vector<std::pair<std::string, VersionReplyStatus>> cases = {
        {R"({"success":true,"errmsg":"","result":{}})", VersionReplyStatus::Accepted},
        {R"({"success":1,"errmsg":null,"result":{"version":"1.0.0.1"}})", VersionReplyStatus::Accepted},
        {R"({"success":0,"errmsg":"","result":{}})", VersionReplyStatus::Rejected},
        {R"([{"success":true,"errmsg":"","result":{}}])", VersionReplyStatus::Rejected},
        {R"("success")", VersionReplyStatus::Rejected},
        {R"({"success":"yes","errmsg":"","result":{}})", VersionReplyStatus::BadValue},
        {R"({"success":true,"errmsg":"","result":"none"})", VersionReplyStatus::BadValue},
        {R"({"success":true,"errmsg":"","result":{"version":{}}})", VersionReplyStatus::BadValue},
        {"", VersionReplyStatus::NotJson},
        {R"({"success":true,)", VersionReplyStatus::NotJson},
        {std::string(5000, '['), VersionReplyStatus::NotJson},
    };
    for (const auto& [body, status] : cases)
    {
        std::wstring version;
        std::wstring packUrl;
        EXPECT_EQ(status, CHttpMgr::ParseVersionReply(body, &version, &packUrl)) << body.substr(0, 80);
    }
}

TEST(VersionReplyParser, NullOutputsAreSkipped)
{
    const std::string body =
        R"({"success":true,"errmsg":"","result":{"version":"3.0.0.0","pack_url":"http://h/p"}})";
    std::wstring version;
    EXPECT_EQ(VersionReplyStatus::Accepted, CHttpMgr::ParseVersionReply(body, &version, nullptr));
    EXPECT_EQ(L"3.0.0.0", version);
}
} // namespace
