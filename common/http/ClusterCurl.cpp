#include "common/http/ClusterCurl.h"

#include "platform/DebugOutput.h"
#include "platform/Kernel.h"
#include "platform/UniqueFd.h"
#include "platform/WinError.h"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const char* const kUserAgent =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; zh-CN; rv:1.9.2.3) Gecko/20100401 Firefox/3.6.3";
const int kMoveTries = 1800;
const DWORD kBusyPauseMs = 100;

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatText(const char* format, ...)
{
    char buffer[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

// A local failure: traced and returned with its code.
CurlResult LocalFailure(int code, const std::string& message)
{
    CurlTrace("%s", message.c_str());
    return CurlResult{code, message};
}

bool IsRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The scheme and host of an absolute address, lower-case as libcurl normalises them.
bool SchemeAndHost(const std::string& url, std::string& scheme, std::string& host)
{
    CURLU* parsed = curl_url();
    char* partScheme = nullptr;
    char* partHost = nullptr;
    const bool ok = parsed != nullptr && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
                    curl_url_get(parsed, CURLUPART_SCHEME, &partScheme, 0) == CURLUE_OK &&
                    curl_url_get(parsed, CURLUPART_HOST, &partHost, 0) == CURLUE_OK;
    if (ok)
    {
        scheme = partScheme;
        host = partHost;
        for (char& c : host)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    curl_free(partScheme);
    curl_free(partHost);
    curl_url_cleanup(parsed);
    return ok;
}

// A download stays with the service that offered it: the same host, and never from a verified
// https address down to plain http.
bool MayFollow(const std::string& from, const std::string& to)
{
    std::string fromScheme, fromHost, toScheme, toHost;
    if (!SchemeAndHost(from, fromScheme, fromHost) || !SchemeAndHost(to, toScheme, toHost))
        return false;
    if (fromHost != toHost)
        return false;
    return !(fromScheme == "https" && toScheme != "https");
}
} // namespace

void CurlTrace(const char* format, ...) noexcept
{
    char text[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    char line[1536] = {};
    std::snprintf(line, sizeof(line), "[%s]", text);
    // Also called from libcurl's callbacks: a trace that cannot be delivered is dropped.
    try
    {
        OutputDebugStringA(line);
    }
    catch (...)
    {
    }
}

bool ClusterCurl::GlobalInit()
{
    static std::once_flag once;
    static CURLcode rc = CURLE_OK;
    std::call_once(once, [] { rc = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return rc == CURLE_OK;
}

ClusterCurl::ClusterCurl()
{
    if (GlobalInit())
        m_pCurl = curl_easy_init();
    if (m_pCurl == nullptr)
        CurlTrace("curl_easy_init() failed: %d\n", static_cast<int>(GetLastError()));
}

ClusterCurl::~ClusterCurl()
{
    FreeHeaders();
    if (m_pCurl != nullptr)
        curl_easy_cleanup(m_pCurl);
}

void ClusterCurl::SetTimeOut(long connectSec, long totalSec)
{
    m_nConnectTimeOut = connectSec;
    m_nTotalTimeOut = totalSec;
}

void ClusterCurl::SetLowSpeedLimit(long bytesPerSec, long seconds)
{
    m_nLowSpeedBytes = bytesPerSec;
    m_nLowSpeedSec = seconds;
}

bool ClusterCurl::AddHeader(const std::string& name, const std::string& value)
{
    if (name.empty() || m_pCurl == nullptr)
        return false;
    curl_slist* list = curl_slist_append(m_pHeaders, (name + ": " + value).c_str());
    if (list == nullptr)
        return false;
    m_pHeaders = list;
    return curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, m_pHeaders) == CURLE_OK;
}

void ClusterCurl::FreeHeaders()
{
    if (m_pHeaders == nullptr)
        return;
    if (m_pCurl != nullptr)
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(m_pHeaders);
    m_pHeaders = nullptr;
}

void ClusterCurl::SetCommonOptions()
{
    curl_easy_setopt(m_pCurl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(m_pCurl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(m_pCurl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_pCurl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Certificates are checked against the system's store: a service that cannot prove who it
    // is gets no request and no say over what we download.
    curl_easy_setopt(m_pCurl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_SSL_VERIFYHOST, 2L);
    // Request threads run beside each other: time-outs must not rely on signals.
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, m_nConnectTimeOut);
    curl_easy_setopt(m_pCurl, CURLOPT_TIMEOUT, m_nTotalTimeOut);
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_LIMIT, m_nLowSpeedBytes);
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_TIME, m_nLowSpeedSec);
    // Called about once a second even while nothing comes: it reads the cancel flag.
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &ClusterCurl::OnProgress);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, this);
}

void ClusterCurl::SetLimits(BodySink& sink, curl_off_t kindDefault)
{
    sink.limit = m_nMaxSize > 0 ? m_nMaxSize : kindDefault;
    // A length announced beyond the limit ends the transfer before its body; the writers hold
    // the line for a body sent without one.
    curl_easy_setopt(m_pCurl, CURLOPT_MAXFILESIZE_LARGE, sink.limit);
}

void ClusterCurl::SetStringTarget(BodySink& sink)
{
    SetLimits(sink, kMaxReplyBytes);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::httpDataWriter);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &sink);
}

// Every failure is libcurl's write error (return 0).
size_t ClusterCurl::httpDataWriter(char* ptr, size_t size, size_t nmemb, void* target) noexcept
{
    auto* sink = static_cast<BodySink*>(target);
    if (sink->body == nullptr)
    {
        CurlTrace("ClusterCurl httpDataWriter data error(%d) \n", static_cast<int>(GetLastError()));
        return 0;
    }
    const size_t bytes = size * nmemb;
    if (sink->written + static_cast<curl_off_t>(bytes) > sink->limit)
    {
        sink->tooLarge = true;
        return 0;
    }
    try
    {
        sink->body->append(ptr, bytes);
    }
    catch (...)
    {
        return 0;
    }
    sink->written += static_cast<curl_off_t>(bytes);
    return bytes;
}

size_t ClusterCurl::fileDataWriter(char* ptr, size_t size, size_t nmemb, void* target) noexcept
{
    auto* sink = static_cast<BodySink*>(target);
    const size_t bytes = size * nmemb;
    if (sink->written + static_cast<curl_off_t>(bytes) > sink->limit)
    {
        sink->tooLarge = true;
        return 0;
    }
    for (size_t done = 0; done < bytes;)
    {
        const ssize_t wrote = ::write(sink->fd, ptr + done, bytes - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return 0;
        done += static_cast<size_t>(wrote);
    }
    sink->written += static_cast<curl_off_t>(bytes);
    return bytes;
}

CurlResult ClusterCurl::NoHandle() const
{
    CurlTrace("curl_easy_init() failed: m_pCurl == NULL\n");
    return CurlResult{-1, "m_pCurl == NULL"};
}

CurlResult ClusterCurl::Perform(const BodySink& sink)
{
    return Finish(sink, curl_easy_perform(m_pCurl));
}

CurlResult ClusterCurl::Finish(const BodySink& sink, CURLcode rc)
{
    if (!sink.tooLarge)
        return MakeResult(rc);
    return LocalFailure(CURLE_FILESIZE_EXCEEDED, FormatText("reply larger than %lld bytes refused",
                                                            static_cast<long long>(sink.limit)));
}

CurlResult ClusterCurl::MakeResult(CURLcode rc)
{
    CurlResult result;
    result.message = curl_easy_strerror(rc);
    long status = 0;
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &status);
    if (rc == CURLE_OK && status == 200)
    {
        result.code = 200;
        return result;
    }
    // A 200 status line followed by a broken transfer is libcurl's failure: a cut-off body must
    // never pass for a complete one. Any other status is reported as the server's answer.
    if (status != 0 && status != 200)
        result.code = static_cast<int>(status);
    else
        result.code = rc != CURLE_OK ? static_cast<int>(rc) : -1;
    CurlTrace("curl send msg error: pRes=%s, lResCode=%ld \n", result.message.c_str(),
              static_cast<long>(result.code));
    return result;
}

CurlResult ClusterCurl::Get(const std::string& url, std::string* body)
{
    if (m_pCurl == nullptr)
        return NoHandle();
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    SetCommonOptions();
    BodySink sink{.body = body};
    SetStringTarget(sink);
    return Perform(sink);
}

CurlResult ClusterCurl::Post(const std::string& url, const std::string& data, std::string* body)
{
    if (m_pCurl == nullptr)
        return NoHandle();
    curl_easy_setopt(m_pCurl, CURLOPT_POST, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    AddHeader("Content-Type", "application/x-www-form-urlencoded");
    SetCommonOptions();
    BodySink sink{.body = body};
    SetStringTarget(sink);
    // The size is given, so the data goes out byte for byte, zero bytes included.
    curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(data.size()));
    curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, data.c_str());
    return Perform(sink);
}

bool ClusterCurl::IsCancelled() const
{
    return (m_pCancel != nullptr && __atomic_load_n(m_pCancel, __ATOMIC_ACQUIRE)) || m_stop.stop_requested();
}

int ClusterCurl::OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) noexcept
{
    auto* curl = static_cast<ClusterCurl*>(self);
    // A set cancel flag ends the transfer (CURLE_ABORTED_BY_CALLBACK) instead of letting it run
    // to its end for nobody.
    if (curl->IsCancelled())
        return 1;
    try
    {
        curl->ReportProgress(static_cast<double>(dltotal), static_cast<double>(dlnow));
    }
    catch (...)
    {
        // A listener that failed (out of memory, say) ends the transfer the same way.
        CurlTrace("download progress listener failed, transfer aborted");
        return 1;
    }
    return 0;
}

// One report per one percent of the total (every call while the total is unknown).
void ClusterCurl::ReportProgress(double total, double now)
{
    if (m_pListener == nullptr)
        return;
    if (static_cast<int64_t>(now - m_dLastProgress) < static_cast<int64_t>(total * 0.01))
        return;
    m_dLastProgress = now;
    m_pListener->OnDownloadProgress(1, m_nTaskId, total, now);
}

CurlResult ClusterCurl::downloadFile(const std::string& url, const std::string& folder,
                                     const std::string& fileName)
{
    if (m_pCurl == nullptr)
        return NoHandle();
    m_dLastProgress = 0;
    CurlResult result;
    try
    {
        if (::access(folder.c_str(), F_OK) != 0)
            return LocalFailure(-1, FormatText("save dir=%s is not exsit！", folder.c_str()));
        const std::string finalPath = folder + "/" + fileName;
        const std::string tempPath = finalPath + ".temp";
        // Only a leftover of an earlier attempt goes; the older complete file stays until the
        // new one replaces it in one rename.
        std::remove(tempPath.c_str());
        result = Transfer(url, tempPath, finalPath);
        if (result.code != 200)
        {
            CurlTrace("%s", result.message.c_str());
            std::remove(tempPath.c_str());
            return result;
        }
        return MoveIntoPlace(result, tempPath, finalPath);
    }
    catch (const std::exception&)
    {
        result.message = FormatText("downloadFile api exception(%d)\n", errno);
        CurlTrace("%s", result.message.c_str());
        return result;
    }
}

CurlResult ClusterCurl::Transfer(const std::string& url, const std::string& tempPath,
                                 const std::string& finalPath)
{
    // Never through a link planted under the temporary name, and only into a regular file.
    platform::UniqueFd fd(
        ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
    struct stat st
    {
    };
    if (fd && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)))
    {
        fd.reset();
        errno = EINVAL;
    }
    if (!fd)
        return LocalFailure(-1, FormatText("downloadFile open file error(%d), %s", errno, finalPath.c_str()));
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    SetCommonOptions();
    // Each redirect is checked here before it is followed.
    curl_easy_setopt(m_pCurl, CURLOPT_FOLLOWLOCATION, 0L);
    BodySink sink{.fd = fd.get()};
    SetLimits(sink, kMaxDownloadBytes);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::fileDataWriter);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &sink);
    CurlResult result = FollowOnSameHost(url, sink);
    if (!fd.Close() && result.code == 200)
        return LocalFailure(-1, FormatText("downloadFile write file error(%d), %s", errno, tempPath.c_str()));
    return result;
}

CurlResult ClusterCurl::FollowOnSameHost(const std::string& url, BodySink& sink)
{
    std::string current = url;
    for (long hop = 0;; ++hop)
    {
        // The body of a redirect is no part of the download.
        if (::ftruncate(sink.fd, 0) != 0 || ::lseek(sink.fd, 0, SEEK_SET) != 0)
            return LocalFailure(-1, FormatText("downloadFile write file error(%d)", errno));
        sink.written = 0;
        m_dLastProgress = 0;
        curl_easy_setopt(m_pCurl, CURLOPT_URL, current.c_str());
        const CURLcode rc = curl_easy_perform(m_pCurl);
        long status = 0;
        curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &status);
        char* location = nullptr;
        if (rc == CURLE_OK && IsRedirect(status))
            curl_easy_getinfo(m_pCurl, CURLINFO_REDIRECT_URL, &location);
        if (sink.tooLarge || location == nullptr)
            return Finish(sink, rc);
        if (hop >= kMaxRedirects)
            return LocalFailure(CURLE_TOO_MANY_REDIRECTS, "downloadFile too many redirects");
        if (!MayFollow(url, location))
            return LocalFailure(
                static_cast<int>(status),
                FormatText("downloadFile redirect refused (HTTP %ld to another host or from https "
                           "to http): %s",
                           status, location));
        current = location;
    }
}

CurlResult ClusterCurl::MoveIntoPlace(CurlResult result, const std::string& tempPath,
                                      const std::string& finalPath)
{
    int lastError = 0;
    for (int tries = 0; tries < kMoveTries; ++tries)
    {
        if (IsCancelled())
        {
            // Cancelled before the file is in place: never a success.
            if (result.code == 200)
                result.code = -1;
            result.message = "downloadFile cancelled";
            return result;
        }
        if (std::rename(tempPath.c_str(), finalPath.c_str()) == 0)
        {
            result.code = 200;
            return result;
        }
        lastError = errno;
        // A busy target may come free: wait a little. Anything else is tried again at once.
        result.code = lastError == EBUSY ? -2 : -1;
        if (lastError == EBUSY)
            Sleep(kBusyPauseMs);
    }
    return LocalFailure(result.code, FormatText("rename error lasterror=[%d]", lastError));
}
