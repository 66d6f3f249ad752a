#pragma once
// One libcurl easy handle performing one HTTP request: a GET or a form POST whose reply is
// collected into a string, or a GET streamed into a file that appears under its final name
// only when complete. Used by one thread; every call returns a CurlResult.

#include "common/http/CurlResult.h"
#include "common/http/LibcurlDownCallback.h"

#include <curl/curl.h>

#include <cstdio>
#include <stop_token>
#include <string>

// The client's own diagnostics: one "[...]" line on the debug channel, cut to 1023 characters.
void CurlTrace(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));

class ClusterCurl
{
public:
    ClusterCurl();
    ~ClusterCurl();
    ClusterCurl(const ClusterCurl&) = delete;
    ClusterCurl& operator=(const ClusterCurl&) = delete;

    // curl_global_init, once per process. Each program calls it at start before any thread;
    // the constructor calls it too, so a forgotten call still initialises exactly once.
    static bool GlobalInit();

    // A reply collected into a string may hold at most this much (the version reply and the
    // other service answers are a few hundred bytes).
    static constexpr curl_off_t kMaxReplyBytes = 64 * 1024;
    // A download may hold at most this much unless the caller sets its own limit.
    static constexpr curl_off_t kMaxDownloadBytes = curl_off_t{2} << 30;
    // A transfer slower than this many bytes a second for this many seconds ends: a trickle
    // cannot hold a request open for the whole total time-out.
    static constexpr long kLowSpeedBytes = 512;
    static constexpr long kLowSpeedSec = 60;
    // Redirects a download may follow, all on the host of the address it was given.
    static constexpr long kMaxRedirects = 30;

    void SetTimeOut(long connectSec, long totalSec);
    // The largest body this object accepts (0: kMaxReplyBytes for a string reply,
    // kMaxDownloadBytes for a download). A larger reply ends as CURLE_FILESIZE_EXCEEDED and
    // leaves nothing behind.
    void SetMaxSize(curl_off_t bytes) { m_nMaxSize = bytes; }
    void SetLowSpeedLimit(long bytesPerSec, long seconds);
    // Appends "name: value" to the request headers; false for an empty name.
    bool AddHeader(const std::string& name, const std::string& value);
    void SetTaskId(int taskId) { m_nTaskId = taskId; }
    void SetListener(CLibcurlDownCallback* listener) { m_pListener = listener; }
    // A flag owned by the caller (another thread may set it): true stops a download.
    void SetCancelFlag(const volatile bool* cancel) { m_pCancel = cancel; }
    // A stop request of the calling worker stops a download as the cancel flag does.
    void SetStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    CurlResult Get(const std::string& url, std::string* body);
    // data goes out byte for byte as "application/x-www-form-urlencoded".
    CurlResult Post(const std::string& url, const std::string& data, std::string* body);
    // Streams url into folder/fileName.temp and renames it to folder/fileName when complete.
    // An older folder/fileName stays as it was unless the new file replaces it. The temporary
    // file is created new (never through a link); redirects are followed only on the host of
    // url and never from https to http.
    CurlResult downloadFile(const std::string& url, const std::string& folder, const std::string& fileName);

private:
    // Where a body goes: a string or an open file, with the bytes written and its limit.
    struct BodySink
    {
        std::string* body = nullptr;
        int fd = -1;
        curl_off_t written = 0;
        curl_off_t limit = 0;
        bool tooLarge = false;
    };

    // Called by libcurl: nothing may be thrown through it. A failure is the callback's own
    // failure value (a short write, an abort), so the transfer fails with libcurl's code.
    static size_t httpDataWriter(char* ptr, size_t size, size_t nmemb, void* target) noexcept;
    static size_t fileDataWriter(char* ptr, size_t size, size_t nmemb, void* target) noexcept;
    static int OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                          curl_off_t ulnow) noexcept;

    bool IsCancelled() const;
    void ReportProgress(double total, double now);
    void SetCommonOptions();
    void SetStringTarget(BodySink& sink);
    void SetLimits(BodySink& sink, curl_off_t kindDefault);
    CurlResult Perform(const BodySink& sink);
    CurlResult Finish(const BodySink& sink, CURLcode rc);
    CurlResult MakeResult(CURLcode rc);
    CurlResult NoHandle() const;
    CurlResult Transfer(const std::string& url, const std::string& tempPath, const std::string& finalPath);
    CurlResult FollowOnSameHost(const std::string& url, BodySink& sink);
    CurlResult MoveIntoPlace(CurlResult result, const std::string& tempPath, const std::string& finalPath);
    void FreeHeaders();

    long m_nConnectTimeOut = 30;
    long m_nTotalTimeOut = 3600;
    curl_off_t m_nMaxSize = 0;
    long m_nLowSpeedBytes = kLowSpeedBytes;
    long m_nLowSpeedSec = kLowSpeedSec;
    CURL* m_pCurl = nullptr;
    curl_slist* m_pHeaders = nullptr;
    int m_nTaskId = 0;
    CLibcurlDownCallback* m_pListener = nullptr;
    const volatile bool* m_pCancel = nullptr;
    std::stop_token m_stop;
    double m_dLastProgress = 0;
};
