#include "HttpMgr.h"

#include "ClusterCurl.h"
#include "Log.h"
#include "MyLock.h"
#include "StringHelper.h"

#include "platform/Kernel.h"
#include "platform/Messages.h"

#include <json/json.h>

#include <atomic>
#include <exception>
#include <map>
#include <memory>

namespace
{
const long kSyncConnectSec = 30;
const long kSyncTotalSec = 3600;

struct RequestOptions
{
    std::atomic<long> connectSec{5};
    std::atomic<long> totalSec{60};
    std::atomic<bool> logFailures{true};
};

// Function-local statics: safe to use from other objects' static initialisers too.
RequestOptions& Options()
{
    static RequestOptions options;
    return options;
}

MyLock::CMutex& CreationLock()
{
    static MyLock::CMutex lock;
    return lock;
}

MyLock::CMutex& TableLock()
{
    static MyLock::CMutex lock;
    return lock;
}

// Request id -> the handle of the thread that runs it.
std::map<int, HANDLE>& RunningRequests()
{
    static std::map<int, HANDLE> table;
    return table;
}

std::atomic<CHttpMgr*> g_instance{nullptr};
std::atomic<int> g_requestCounter{0};

// The reader throws on nesting deeper than its limit; such a text is no reply either.
bool ParseJson(const std::string& body, Json::Value* root)
{
    try
    {
        Json::CharReaderBuilder builder;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        return reader->parse(body.data(), body.data() + body.size(), root, nullptr);
    }
    catch (const std::exception&)
    {
        return false;
    }
}

bool ReadsAsRequestReply(const Json::Value& root)
{
    return root.isObject() && root.isMember("success") && root.isMember("errmsg") && root.isMember("result");
}

void TakeString(const Json::Value& object, const char* name, std::wstring* out)
{
    if (object.isMember(name) && out != nullptr)
        *out = AnsiToWide(object[name].asString());
}
} // namespace

CHttpMgr* CHttpMgr::GetInstance()
{
    CHttpMgr* instance = g_instance.load();
    if (instance != nullptr)
        return instance;
    MyLock::CAutoLock lock(&CreationLock());
    if (g_instance.load() == nullptr)
        g_instance.store(new CHttpMgr());
    return g_instance.load();
}

void CHttpMgr::SetRequestOptions(long connectSec, long totalSec, bool logFailures)
{
    Options().connectSec = connectSec;
    Options().totalSec = totalSec;
    Options().logFailures = logFailures;
}

int CHttpMgr::AsyncPost(std::string url, const std::string& data, HWND notify, int tag)
{
    auto* request = new HttpRequest{std::move(url), data, -1, false, tag, notify};
    return StartRequest(request);
}

int CHttpMgr::AsyncGet(std::string url, HWND notify, int tag)
{
    auto* request = new HttpRequest{std::move(url), std::string(), -1, true, tag, notify};
    return StartRequest(request);
}

int CHttpMgr::StartRequest(HttpRequest* request)
{
    request->id = ++g_requestCounter;
    // Suspended, so that the thread never looks for its table entry before it exists.
    const uintptr_t thread =
        _beginthreadex(nullptr, 0, &CHttpMgr::HttpThreadProc, request, CREATE_SUSPENDED, nullptr);
    if (thread == 0)
    {
        delete request;
        return -1;
    }
    const int id = request->id;
    const HANDLE handle = reinterpret_cast<HANDLE>(thread);
    {
        MyLock::CAutoLock lock(&TableLock());
        RunningRequests()[id] = handle;
    }
    ResumeThread(handle);
    return id;
}

bool CHttpMgr::IsRunning(int id)
{
    MyLock::CAutoLock lock(&TableLock());
    return RunningRequests().count(id) != 0;
}

unsigned CHttpMgr::HttpThreadProc(void* param)
{
    std::unique_ptr<HttpRequest> request(static_cast<HttpRequest*>(param));
    if (!request)
        return 0;
    std::string body;
    CurlResult result;
    {
        ClusterCurl curl;
        curl.SetTimeOut(Options().connectSec, Options().totalSec);
        result = request->isGet ? curl.Get(request->url, &body)
                                : curl.Post(request->url, request->postData, &body);
    }
    if (result.code != 200 && Options().logFailures)
    {
        LOG_ERROR(L"CHttpMgr::HttpThreadProc", L"%s url=%s code=%d reason=%s",
                  request->isGet ? L"get" : L"post", AnsiToWide(request->url).c_str(), result.code,
                  AnsiToWide(result.message).c_str());
    }
    PostReply(*request, std::move(body));
    ForgetRequest(request->id);
    return 0;
}

// The window always learns that the request ended; a record nobody can receive is freed here.
void CHttpMgr::PostReply(const HttpRequest& request, std::string body)
{
    auto* reply = new HttpReply{std::move(body), request.id, request.tag};
    if (!PostMessageW(request.notify, WM_HTTP_REPLY, reinterpret_cast<WPARAM>(reply), 0))
        delete reply;
}

void CHttpMgr::ForgetRequest(int id)
{
    HANDLE handle = nullptr;
    {
        MyLock::CAutoLock lock(&TableLock());
        auto it = RunningRequests().find(id);
        if (it == RunningRequests().end())
            return;
        handle = it->second;
        RunningRequests().erase(it);
    }
    CloseHandle(handle);
}

bool CHttpMgr::SyncGet(const std::string& url, std::string* body, const std::stop_token& stop)
{
    ClusterCurl curl;
    curl.SetStopToken(stop);
    curl.SetTimeOut(kSyncConnectSec, kSyncTotalSec);
    return curl.Get(url, body).code == 200;
}

void CHttpMgr::RequestVersion(const std::string& url, std::wstring* version, std::wstring* packUrl,
                              const std::stop_token& stop)
{
    GetInstance();
    std::string body;
    if (!SyncGet(url, &body, stop))
        return;
    switch (ParseVersionReply(body, version, packUrl))
    {
    case VersionReplyStatus::Rejected:
        LOG_ERROR(L"CHttpMgr::GetMajor", L"%s 服务器返回异常 strData=%s", L"CHttpMgr::GetMajor",
                  AnsiToWide(body).c_str());
        break;
    case VersionReplyStatus::BadValue:
        LOG_ERROR(L"CHttpMgr::GetMajor", L"json parse error ret=%s", AnsiToWide(body).c_str());
        break;
    default:
        break;
    }
}

VersionReplyStatus CHttpMgr::ParseVersionReply(const std::string& body, std::wstring* version,
                                               std::wstring* packUrl)
{
    Json::Value root;
    if (!ParseJson(body, &root))
        return VersionReplyStatus::NotJson;
    try
    {
        if (!ReadsAsRequestReply(root) || !root["success"].asBool())
            return VersionReplyStatus::Rejected;
        const Json::Value& result = root["result"];
        TakeString(result, "version", version);
        TakeString(result, "pack_url", packUrl);
        return VersionReplyStatus::Accepted;
    }
    catch (const std::exception&)
    {
        return VersionReplyStatus::BadValue;
    }
}
