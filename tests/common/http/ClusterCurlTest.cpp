// ClusterCurl against real servers on 127.0.0.1.
#include "common/http/ClusterCurl.h"
#include "tests/support/TestServers.h"
#include "tests/support/TestSupport.h"

#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <new>
#include <vector>

namespace
{
using httptest::LocalHttpServer;
using testsupport::Exists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const char* const kOkText = "No error";

class ClusterCurlTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ClusterCurl::GlobalInit()); }

    LocalHttpServer m_server;
};

// Collects what is sent to the debug channel while it lives.
class TraceCapture
{
public:
    TraceCapture()
    {
        m_previous = platform::SetDebugSink([this](const std::wstring& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    ~TraceCapture() { platform::SetDebugSink(m_previous); }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::wstring> Lines()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    platform::DebugSink m_previous;
    std::mutex m_mutex;
    std::vector<std::wstring> m_lines;
};

TEST(CurlTraceTest, LinesAreBracketedAndCut)
{
    TraceCapture capture;
    CurlTrace("code=%d", 5);
    CurlTrace("%s", std::string(3000, 'a').c_str());
    const std::vector<std::wstring> lines = capture.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"[code=5]", lines[0]);
    EXPECT_EQ(L"[" + std::wstring(1023, L'a') + L"]", lines[1]);
}

// ---- GET ----------------------------------------------------------------------------------------

TEST_F(ClusterCurlTest, GetAnswersOfTheServer)
{
    ASSERT_TRUE(m_server.ok());
    struct Case
    {
        std::string path;
        int code;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"/hello", 200, "hello, world"},
        // A status other than 200 is the code; the error page is still collected.
        {"/missing", 404, "<html>no such page</html>"},
        // Redirects are followed; the result is that of the last answer.
        {"/redirect/3", 200, "end of the chain"},
    };
    for (const Case& c : cases)
    {
        ClusterCurl curl;
        std::string body;
        const CurlResult result = curl.Get(m_server.Url(c.path), &body);
        EXPECT_EQ(c.code, result.code) << c.path;
        EXPECT_EQ(kOkText, result.message) << c.path;
        EXPECT_EQ(c.body, body) << c.path;
    }
}

TEST_F(ClusterCurlTest, OnlyFailuresAreTraced)
{
    TraceCapture capture;
    std::string body;
    EXPECT_EQ(200, ClusterCurl().Get(m_server.Url("/hello"), &body).code);
    EXPECT_EQ(404, ClusterCurl().Get(m_server.Url("/missing"), &body).code);
    const std::vector<std::wstring> lines = capture.Lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(L"[curl send msg error: pRes=No error, lResCode=404 \n]", lines[0]);
}

TEST_F(ClusterCurlTest, GetAppendsToTheBodyItIsGiven)
{
    ClusterCurl curl;
    std::string body = "before:";
    EXPECT_EQ(200, curl.Get(m_server.Url("/hello"), &body).code);
    EXPECT_EQ("before:hello, world", body);
}

TEST_F(ClusterCurlTest, GetWithoutBodyTargetIsAWriteError)
{
    ClusterCurl curl;
    EXPECT_EQ(CURLE_WRITE_ERROR, curl.Get(m_server.Url("/hello"), nullptr).code);
}

TEST_F(ClusterCurlTest, TransportFailuresCarryLibcurlCodeAndText)
{
    ClusterCurl refused;
    std::string body;
    const CurlResult result =
        refused.Get("http://127.0.0.1:" + std::to_string(httptest::ClosedPort()) + "/", &body);
    EXPECT_EQ(CURLE_COULDNT_CONNECT, result.code);
    EXPECT_EQ(curl_easy_strerror(CURLE_COULDNT_CONNECT), result.message);
    EXPECT_TRUE(body.empty());

    ClusterCurl scheme;
    EXPECT_EQ(CURLE_UNSUPPORTED_PROTOCOL, scheme.Get("file:///etc/passwd", &body).code);
    EXPECT_TRUE(body.empty());
}

TEST_F(ClusterCurlTest, TotalTimeOutEndsASlowReply)
{
    ClusterCurl curl;
    curl.SetTimeOut(1, 1);
    std::string body;
    const auto start = std::chrono::steady_clock::now();
    const CurlResult result = curl.Get(m_server.Url("/slow"), &body);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(CURLE_OPERATION_TIMEDOUT, result.code);
    EXPECT_EQ(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT), result.message);
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

TEST_F(ClusterCurlTest, BodyCutOffAfterStatus200IsAFailure)
{
    httptest::CutOffServer cutOff;
    ClusterCurl curl;
    std::string body;
    const CurlResult result = curl.Get(cutOff.Url(), &body);
    EXPECT_EQ(CURLE_PARTIAL_FILE, result.code);
    EXPECT_EQ(curl_easy_strerror(CURLE_PARTIAL_FILE), result.message);
}

// ---- POST and headers -----------------------------------------------------------------------------

TEST_F(ClusterCurlTest, PostSendsTheFormBodyByteForByte)
{
    const std::string form = std::string("info=eyJhIjoi5Lit5paHIn0+/=&x=%41 ") + '\0' + "\xff\r\n";
    ClusterCurl curl;
    std::string body;
    const CurlResult result = curl.Post(m_server.Url("/echo"), form, &body);
    EXPECT_EQ(200, result.code);
    EXPECT_EQ("got " + std::to_string(form.size()) + " bytes", body);
    const httptest::SeenPost seen = m_server.LastPost();
    EXPECT_EQ(form, seen.body);
    EXPECT_EQ("application/x-www-form-urlencoded", seen.contentType);
}

TEST_F(ClusterCurlTest, EmptyPostSendsAnEmptyFormBody)
{
    ClusterCurl curl;
    std::string body;
    EXPECT_EQ(200, curl.Post(m_server.Url("/echo"), "", &body).code);
    const httptest::SeenPost seen = m_server.LastPost();
    EXPECT_EQ("application/x-www-form-urlencoded", seen.contentType);
    EXPECT_EQ("0", seen.contentLength);
    EXPECT_TRUE(seen.body.empty());
}

TEST_F(ClusterCurlTest, PostAnsweredWith404KeepsTheReply)
{
    ClusterCurl curl;
    std::string body;
    const CurlResult result = curl.Post(m_server.Url("/missing"), "a=1", &body);
    EXPECT_EQ(404, result.code);
    EXPECT_EQ("no form here", body);
}

TEST_F(ClusterCurlTest, AddHeaderRefusesAnEmptyName)
{
    ClusterCurl curl;
    EXPECT_FALSE(curl.AddHeader("", "x"));
    EXPECT_TRUE(curl.AddHeader("X-Test", "1"));
}

// ---- TLS ------------------------------------------------------------------------------------------

TEST(ClusterCurlTls, SelfSignedCertificateIsRefused)
{
    TempDir certs("certs");
    ASSERT_TRUE(httptest::MakeSelfSignedCertificate(certs.path()));
    LocalHttpServer server(certs.path());
    ASSERT_TRUE(server.ok());

    ClusterCurl curl;
    std::string body;
    const CurlResult result = curl.Get(server.Url("/hello"), &body);
    EXPECT_EQ(CURLE_PEER_FAILED_VERIFICATION, result.code);
    EXPECT_EQ(curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION), result.message);
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(0, server.RequestCount());
}

// ---- Download ---------------------------------------------------------------------------------------

// Records every report, and what the folder held at the first report past the start.
class Listener final : public CLibcurlDownCallback
{
public:
    struct Report
    {
        int kind;
        int taskId;
        double total;
        double now;
    };

    void OnDownloadProgress(int kind, int taskId, double total, double now) override
    {
        m_reports.push_back(Report{kind, taskId, total, now});
        if (now > 0 && !m_sawMidway)
        {
            m_sawMidway = true;
            m_finalExistedMidway = Exists(m_finalPath);
            m_tempExistedMidway = Exists(m_finalPath + ".temp");
        }
        if (m_cancelAt > 0 && now >= m_cancelAt)
            m_cancel = true;
        if (m_failMidway && now > 0)
            throw std::bad_alloc(); // as a listener posting a record would on a full heap
    }

    std::string m_finalPath;
    double m_cancelAt = 0;
    bool m_cancel = false;
    bool m_failMidway = false;
    std::vector<Report> m_reports;
    bool m_sawMidway = false;
    bool m_finalExistedMidway = false;
    bool m_tempExistedMidway = false;
};

class DownloadTest : public ClusterCurlTest
{
protected:
    TempDir m_dir{"download"};
    std::string m_final = m_dir / "pack.zip";
};

TEST_F(DownloadTest, FileAppearsUnderItsNameOnlyWhenComplete)
{
    WriteFile(m_final, "older package");
    Listener listener;
    listener.m_finalPath = m_final;
    ClusterCurl curl;
    curl.SetTaskId(7);
    curl.SetListener(&listener);
    const CurlResult result = curl.downloadFile(m_server.Url("/big"), m_dir.path(), "pack.zip");

    EXPECT_EQ(200, result.code);
    EXPECT_EQ(LocalHttpServer::BigBody(), ReadFile(m_final));
    EXPECT_FALSE(Exists(m_final + ".temp"));
    // While the body arrived, only the ".temp" file held it; the older file was still there.
    EXPECT_TRUE(listener.m_sawMidway);
    EXPECT_TRUE(listener.m_tempExistedMidway);
    EXPECT_TRUE(listener.m_finalExistedMidway);
}

TEST_F(DownloadTest, ProgressIsReportedPerPercent)
{
    Listener listener;
    ClusterCurl curl;
    curl.SetTaskId(7);
    curl.SetListener(&listener);
    ASSERT_EQ(200, curl.downloadFile(m_server.Url("/big"), m_dir.path(), "pack.zip").code);

    // While the size is unknown every call reports 0 of 0; then at most one report per percent.
    double last = -1;
    size_t sized = 0;
    for (const Listener::Report& report : listener.m_reports)
    {
        EXPECT_EQ(1, report.kind);
        EXPECT_EQ(7, report.taskId);
        if (report.total == 0)
        {
            EXPECT_EQ(0, report.now);
            continue;
        }
        ++sized;
        EXPECT_GE(report.now - last, report.total * 0.01 - 1);
        last = report.now;
    }
    EXPECT_GE(sized, 2u);
    EXPECT_LE(sized, 101u);
    // The last piece may be less than a percent, so the last report comes within one of the end.
    const double size = static_cast<double>(LocalHttpServer::kBigSize);
    EXPECT_EQ(size, listener.m_reports.back().total);
    EXPECT_GE(listener.m_reports.back().now, size * 0.99);
}

TEST_F(DownloadTest, CancelFlagStopsTheTransferAndKeepsTheOlderFile)
{
    WriteFile(m_final, "older package");
    Listener listener;
    listener.m_cancelAt = LocalHttpServer::kBigSize / 10;
    ClusterCurl curl;
    curl.SetListener(&listener);
    curl.SetCancelFlag(&listener.m_cancel);
    const auto start = std::chrono::steady_clock::now();
    const CurlResult result = curl.downloadFile(m_server.Url("/big-slow"), m_dir.path(), "pack.zip");

    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK, result.code);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_LT(listener.m_reports.back().now, static_cast<double>(LocalHttpServer::kBigSize));
    EXPECT_EQ("older package", ReadFile(m_final));
    EXPECT_FALSE(Exists(m_final + ".temp"));
}

// Nothing is thrown through libcurl: a failing listener ends the transfer as a cancel does, the
// handle stays usable and the program goes on.
TEST_F(DownloadTest, ListenerThatThrowsEndsTheTransferAsAFailure)
{
    WriteFile(m_final, "older package");
    Listener listener;
    listener.m_failMidway = true;
    ClusterCurl curl;
    curl.SetListener(&listener);
    const CurlResult result = curl.downloadFile(m_server.Url("/big-slow"), m_dir.path(), "pack.zip");

    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK, result.code);
    EXPECT_EQ("older package", ReadFile(m_final));
    EXPECT_FALSE(Exists(m_final + ".temp"));
    curl.SetListener(nullptr);
    std::string body;
    EXPECT_EQ(200, curl.Get(m_server.Url("/hello"), &body).code);
    EXPECT_FALSE(body.empty());
}

TEST_F(DownloadTest, CancelledBeforeTheStartDownloadsNothing)
{
    bool cancel = true;
    ClusterCurl curl;
    curl.SetCancelFlag(&cancel);
    EXPECT_EQ(CURLE_ABORTED_BY_CALLBACK,
              curl.downloadFile(m_server.Url("/hello"), m_dir.path(), "pack.zip").code);
    EXPECT_FALSE(Exists(m_final));
    EXPECT_FALSE(Exists(m_final + ".temp"));
}

TEST_F(DownloadTest, FailedTransfersLeaveTheOlderFileAndNoTemporary)
{
    httptest::CutOffServer cutOff;
    struct Case
    {
        std::string url;
        int code;
    };
    const std::vector<Case> cases = {
        {m_server.Url("/missing"), 404},
        {cutOff.Url(), CURLE_PARTIAL_FILE},
        {"http://127.0.0.1:" + std::to_string(httptest::ClosedPort()) + "/", CURLE_COULDNT_CONNECT},
    };
    for (const Case& c : cases)
    {
        WriteFile(m_final, "older package");
        WriteFile(m_final + ".temp", "leftover of an earlier attempt");
        ClusterCurl curl;
        EXPECT_EQ(c.code, curl.downloadFile(c.url, m_dir.path(), "pack.zip").code) << c.url;
        EXPECT_EQ("older package", ReadFile(m_final)) << c.url;
        EXPECT_FALSE(Exists(m_final + ".temp")) << c.url;
    }
}

TEST_F(DownloadTest, MissingFolderCreatesNothing)
{
    const std::string folder = m_dir / "no-such-folder";
    ClusterCurl curl;
    const CurlResult result = curl.downloadFile(m_server.Url("/hello"), folder, "pack.zip");
    EXPECT_EQ(-1, result.code);
    EXPECT_EQ("save dir=" + folder + " is not exsit！", result.message);
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(0, m_server.RequestCount());
}

TEST_F(DownloadTest, TemporaryFileThatCannotBeMadeIsALocalFailure)
{
    // A non-empty folder of the temporary name can neither be removed nor opened as a file.
    std::filesystem::create_directories(m_final + ".temp");
    WriteFile(m_final + ".temp/inside", "x");
    ClusterCurl curl;
    const CurlResult result = curl.downloadFile(m_server.Url("/hello"), m_dir.path(), "pack.zip");
    EXPECT_EQ(-1, result.code);
    EXPECT_EQ(0u, result.message.find("downloadFile open file error(21), " + m_final)) << result.message;
    EXPECT_EQ(0, m_server.RequestCount());
}

TEST_F(DownloadTest, TargetThatCannotBeReplacedKeepsTheTemporary)
{
    // A non-empty folder of the final name refuses the rename every time.
    std::filesystem::create_directories(m_final);
    WriteFile(m_final + "/inside", "x");
    ClusterCurl curl;
    const CurlResult result = curl.downloadFile(m_server.Url("/hello"), m_dir.path(), "pack.zip");
    EXPECT_EQ(-1, result.code);
    EXPECT_EQ(0u, result.message.find("rename error lasterror=[")) << result.message;
    EXPECT_EQ("hello, world", ReadFile(m_final + ".temp"));
}
} // namespace

namespace
{
// ---- Hostile services -----------------------------------------------------------------------------

TEST_F(ClusterCurlTest, RepliesPastTheirLimitEndAtTheLimit)
{
    // A length announced past the limit ends before the body; a body without a length that
    // never ends is cut at the limit, so memory stays bounded either way.
    for (const char* path : {"/big", "/endless"})
    {
        SCOPED_TRACE(path);
        ClusterCurl curl;
        std::string body;
        const CurlResult result = curl.Get(m_server.Url(path), &body);
        EXPECT_EQ(CURLE_FILESIZE_EXCEEDED, result.code);
        EXPECT_FALSE(result.message.empty());
        EXPECT_LE(body.size(), static_cast<size_t>(ClusterCurl::kMaxReplyBytes));
    }
    std::string body;
    EXPECT_EQ("reply larger than 65536 bytes refused",
              ClusterCurl().Get(m_server.Url("/endless"), &body).message);
    // What the server managed to send before the client gave up: socket buffers, not more.
    EXPECT_LT(m_server.EndlessBytesSent(), 64LL << 20);
}

TEST_F(ClusterCurlTest, ATrickleEndsAtTheLowSpeedLimit)
{
    ClusterCurl curl;
    curl.SetTimeOut(5, 600);
    curl.SetLowSpeedLimit(100, 1);
    std::string body;
    const auto start = std::chrono::steady_clock::now();
    const CurlResult result = curl.Get(m_server.Url("/trickle"), &body);
    EXPECT_EQ(CURLE_OPERATION_TIMEDOUT, result.code);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(DownloadTest, DownloadsPastTheirLimitOrTooSlowLeaveNothing)
{
    for (const char* path : {"/big", "/endless", "/trickle"})
    {
        SCOPED_TRACE(path);
        WriteFile(m_final, "older package");
        ClusterCurl curl;
        curl.SetMaxSize(1 << 20);
        curl.SetLowSpeedLimit(100, 1);
        const CurlResult result = curl.downloadFile(m_server.Url(path), m_dir.path(), "pack.zip");
        EXPECT_EQ(std::string(path) == "/trickle" ? CURLE_OPERATION_TIMEDOUT : CURLE_FILESIZE_EXCEEDED,
                  result.code);
        EXPECT_EQ("older package", ReadFile(m_final));
        EXPECT_FALSE(Exists(m_final + ".temp"));
    }
}

TEST_F(DownloadTest, RedirectsAreFollowedOnlyOnTheHostOfTheAddress)
{
    std::string hello = m_server.Url("/hello");
    m_server.ServeRedirect("/here", hello);
    std::string elsewhere = hello;
    elsewhere.replace(elsewhere.find("127.0.0.1"), 9, "localhost");
    m_server.ServeRedirect("/away", elsewhere);

    ClusterCurl chain;
    ASSERT_EQ(200, chain.downloadFile(m_server.Url("/redirect/3"), m_dir.path(), "pack.zip").code);
    EXPECT_EQ("end of the chain", ReadFile(m_final));
    ClusterCurl here;
    ASSERT_EQ(200, here.downloadFile(m_server.Url("/here"), m_dir.path(), "pack.zip").code);
    EXPECT_EQ("hello, world", ReadFile(m_final));

    // Another name for the same machine is another host: refused before it is asked.
    const int before = m_server.RequestCount();
    ClusterCurl away;
    const CurlResult result = away.downloadFile(m_server.Url("/away"), m_dir.path(), "pack.zip");
    EXPECT_EQ(302, result.code);
    EXPECT_NE(std::string::npos, result.message.find("redirect refused")) << result.message;
    EXPECT_NE(std::string::npos, result.message.find(elsewhere)) << result.message;
    EXPECT_EQ(before + 1, m_server.RequestCount());
    EXPECT_EQ("hello, world", ReadFile(m_final));
    EXPECT_FALSE(Exists(m_final + ".temp"));
}
} // namespace
