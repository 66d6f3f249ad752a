#pragma once
// What the install and uninstall reports share: the query appended to the service address,
// the form body "info=" + base64 of the report's JSON text, and the asynchronous POST.

#include "platform/WinTypes.h"

#include <string>

class CHttpMgr;

// base + "?" (or "&" when base has a query already) + versionid, version and qudao, each value
// percent-encoded.
std::string StatisticsUrl(const std::wstring& base, const std::wstring& versionId,
                          const std::wstring& version, const std::wstring& channel);
// "info=" + base64 of json.
std::string StatisticsBody(const std::string& json);
// Posts body to url; the reply comes to window as WM_HTTP_REPLY. Returns the request id.
int PostStatistics(CHttpMgr* manager, HWND window, const std::string& url, const std::string& body);
