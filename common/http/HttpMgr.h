#pragma once
// The request manager: every asynchronous request runs on its own thread and its reply comes
// back to a window as WM_HTTP_REPLY carrying an HttpReply that the receiving thread deletes.
// It also performs the synchronous GET and, in the main program, the version request.

#include "platform/WinTypes.h"

#include <stop_token>
#include <string>

// wParam = HttpReply*, lParam = 0. The receiver deletes the record, also when it ignores it.
constexpr UINT WM_HTTP_REPLY = 2026;

// Made by the caller's thread, owned and freed by the request thread (or by the start that
// could not make one).
struct HttpRequest
{
    std::string url;
    std::string postData;
    int id = -1;
    bool isGet = true;
    int tag = 0;
    HWND notify = nullptr;
};

// Made by the request thread, freed by the thread of the window that receives it. It carries
// no result code: a receiver that needs success judges the body.
struct HttpReply
{
    std::string body;
    int id = 0;
    int tag = 0;
};

// What a version reply amounts to.
enum class VersionReplyStatus
{
    Accepted, // outputs filled from "result" as far as it holds them
    NotJson,  // not a JSON text: nothing changed, nothing to log
    Rejected, // not an object with "success", "errmsg" and "result", or "success" false
    BadValue, // a member of the wrong type; outputs keep what was set before it
};

class CHttpMgr
{
public:
    // The process's manager, created on first demand and never destroyed.
    static CHttpMgr* GetInstance();

    // Time-outs of the request threads and whether their failures are logged: the main
    // program's 5 s / 60 s with an ERROR line unless a program sets its own at start.
    static void SetRequestOptions(long connectSec, long totalSec, bool logFailures);

    // Request id (1 for the first of the process), or -1 when no thread could be started, in
    // which case no reply comes. Otherwise exactly one WM_HTTP_REPLY comes, also on failure.
    static int AsyncPost(std::string url, const std::string& data, HWND notify, int tag);
    static int AsyncGet(std::string url, HWND notify, int tag);
    // On the caller's thread with 30 s / 3600 s; body receives the reply in every case. A stop
    // request ends the transfer (a failure).
    static bool SyncGet(const std::string& url, std::string* body, const std::stop_token& stop = {});
    // True while the request's thread has not finished with it.
    static bool IsRunning(int id);

    // The version request for a given address, with its log lines (the main program's
    // GetMajor, main/MajorVersion.h, asks it the address of its config.ini).
    static void RequestVersion(const std::string& url, std::wstring* version, std::wstring* packUrl,
                               const std::stop_token& stop = {});
    // Reads a version reply {"success":true,"errmsg":"","result":{"version":..,"pack_url":..}}.
    static VersionReplyStatus ParseVersionReply(const std::string& body, std::wstring* version,
                                                std::wstring* packUrl);

    // Stops every running request (its transfer ends as a failure and its reply is posted as
    // usual) and waits for the request threads. Each program calls it before it ends.
    static void StopRequests();

private:
    CHttpMgr() = default;

    static int StartRequest(HttpRequest* request);
    static void HttpThreadProc(HttpRequest* request, const std::stop_token& stop);
    static void PostReply(const HttpRequest& request, std::string body);
    static void ForgetRequest(int id);
};
