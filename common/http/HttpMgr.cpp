#include "common/http/HttpMgr.h"

#include "common/base/Log.h"
#include "common/base/MyLock.h"
#include "common/base/PostedRecord.h"
#include "common/base/StringHelper.h"
#include "common/base/WorkerThread.h"
#include "common/http/ClusterCurl.h"

#include "platform/Kernel.h"
#include "platform/Messages.h"

#include <json/json.h>

#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <vector>

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

using WorkerPtr = std::unique_ptr<CWorkerThread>;

// Request id -> the worker that runs it. Never destroyed: a request may still end while the
// process ends.
std::map<int, WorkerPtr>& RunningRequests()
{
    static auto* table = new std::map<int, WorkerPtr>;
    return *table;
}

// Workers done with their request, joined by the next start or by StopRequests (a thread
// cannot join itself).
std::vector<WorkerPtr>& EndedRequests()
{
    static auto* ended = new std::vector<WorkerPtr>;
    return *ended;
}

// Joins the ended workers outside the table lock.
void JoinEndedRequests()
{
    std::vector<WorkerPtr> ended;
    {
        MyLock::CAutoLock lock(&TableLock());
        ended.swap(EndedRequests());
    }
    ended.clear();
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
    JoinEndedRequests();
    request->id = ++g_requestCounter;
    const int id = request->id;
    auto worker = std::make_unique<CWorkerThread>();
    CWorkerThread* const started = worker.get();
    // Entered first, so that the thread never looks for its table entry before it exists.
    MyLock::CAutoLock lock(&TableLock());
    RunningRequests()[id] = std::move(worker);
    if (!started->Start([request](const std::stop_token& stop) { HttpThreadProc(request, stop); }))
    {
        RunningRequests().erase(id);
        delete request;
        return -1;
    }
    return id;
}

void CHttpMgr::StopRequests()
{
    std::vector<WorkerPtr> running;
    {
        MyLock::CAutoLock lock(&TableLock());
        for (auto& entry : RunningRequests())
        {
            entry.second->RequestStop();
            running.push_back(std::move(entry.second));
        }
        RunningRequests().clear();
    }
    running.clear();
    JoinEndedRequests();
}

bool CHttpMgr::IsRunning(int id)
{
    MyLock::CAutoLock lock(&TableLock());
    return RunningRequests().count(id) != 0;
}

void CHttpMgr::HttpThreadProc(HttpRequest* param, const std::stop_token& stop)
{
    std::unique_ptr<HttpRequest> request(param);
    std::string body;
    CurlResult result;
    {
        ClusterCurl curl;
        curl.SetStopToken(stop);
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
}

// The window always learns that the request ended; a record nobody can receive is freed here.
void CHttpMgr::PostReply(const HttpRequest& request, std::string body)
{
    PostRecord(request.notify, WM_HTTP_REPLY,
               std::make_unique<HttpReply>(HttpReply{std::move(body), request.id, request.tag}));
}

void CHttpMgr::ForgetRequest(int id)
{
    MyLock::CAutoLock lock(&TableLock());
    auto it = RunningRequests().find(id);
    if (it == RunningRequests().end())
        return; // StopRequests holds it and waits for it
    EndedRequests().push_back(std::move(it->second));
    RunningRequests().erase(it);
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
