#include "ClusterCurl.h"

#include "platform/DebugOutput.h"
#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <exception>
#include <mutex>
#include <unistd.h>

namespace
{
const char* const kUserAgent =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; zh-CN; rv:1.9.2.3) Gecko/20100401 Firefox/3.6.3";
const int kMoveTries = 1800;
const DWORD kBusyPauseMs = 100;
// Enough for any redirect chain a real service sends, and a bound on a loop.
const long kMaxRedirects = 30;

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
} // namespace

void CurlTrace(const char* format, ...)
{
    char text[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    char line[1536] = {};
    std::snprintf(line, sizeof(line), "[%s]", text);
    OutputDebugStringA(line);
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
}

void ClusterCurl::SetStringTarget(std::string* body)
{
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &ClusterCurl::httpDataWriter);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, body);
}

size_t ClusterCurl::httpDataWriter(char* ptr, size_t size, size_t nmemb, void* target)
{
    auto* body = static_cast<std::string*>(target);
    if (body == nullptr)
    {
        CurlTrace("ClusterCurl httpDataWriter data error(%d) \n", static_cast<int>(GetLastError()));
        return 0;
    }
    body->append(ptr, size * nmemb);
    return size * nmemb;
}

CurlResult ClusterCurl::NoHandle() const
{
    CurlTrace("curl_easy_init() failed: m_pCurl == NULL\n");
    return CurlResult{-1, "m_pCurl == NULL"};
}

CurlResult ClusterCurl::Perform()
{
    return MakeResult(curl_easy_perform(m_pCurl));
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
    SetStringTarget(body);
    return Perform();
}

CurlResult ClusterCurl::Post(const std::string& url, const std::string& data, std::string* body)
{
    if (m_pCurl == nullptr)
        return NoHandle();
    curl_easy_setopt(m_pCurl, CURLOPT_POST, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    AddHeader("Content-Type", "application/x-www-form-urlencoded");
    SetCommonOptions();
    SetStringTarget(body);
    // The size is given, so the data goes out byte for byte, zero bytes included.
    curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(data.size()));
    curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, data.c_str());
    return Perform();
}

bool ClusterCurl::IsCancelled() const
{
    return m_pCancel != nullptr && __atomic_load_n(m_pCancel, __ATOMIC_ACQUIRE);
}

int ClusterCurl::OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t)
{
    auto* curl = static_cast<ClusterCurl*>(self);
    // A set cancel flag ends the transfer (CURLE_ABORTED_BY_CALLBACK) instead of letting it run
    // to its end for nobody.
    if (curl->IsCancelled())
        return 1;
    curl->ReportProgress(static_cast<double>(dltotal), static_cast<double>(dlnow));
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
    FILE* file = std::fopen(tempPath.c_str(), "wb");
    if (file == nullptr)
        return LocalFailure(-1, FormatText("downloadFile open file error(%d), %s", errno, finalPath.c_str()));
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    SetCommonOptions();
    // No write function: libcurl's own is fwrite to the given file.
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, nullptr);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &ClusterCurl::OnProgress);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, this);
    CurlResult result = Perform();
    // The last buffered bytes reach the disk only here; a file that lost them is no download.
    if (std::fclose(file) != 0 && result.code == 200)
        return LocalFailure(-1, FormatText("downloadFile write file error(%d), %s", errno, tempPath.c_str()));
    return result;
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
