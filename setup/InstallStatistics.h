#pragma once
// The install report to the statistics service: a form POST whose body is "info=" and the
// base64 text of a JSON object.

#include "platform/WinTypes.h"

#include <string>

class CHttpMgr;

struct InstallStatisticsInfo
{
    bool success = false;
    std::wstring message;
    int osCode = 0;
    std::wstring versionId;
    std::wstring version;
    std::wstring channel;
    std::wstring machineId;
};

// The service address: [Config] install_statistics_url of the payload's config.ini
// (PictavoInstaller/config.ini beside the setup), else the built-in address.
std::wstring InstallStatisticsBaseUrl();
// base + "?" (or "&" when base has a query already) + versionid, version and qudao, each value
// percent-encoded.
std::string InstallStatisticsUrl(const std::wstring& base, const InstallStatisticsInfo& info);
// The JSON text (one line, keys in ascending order, a newline at the end).
std::string InstallStatisticsJson(const InstallStatisticsInfo& info);
// "info=" + base64 of the JSON text.
std::string InstallStatisticsBody(const InstallStatisticsInfo& info);
// The request id of the POST (its reply comes to window as WM_HTTP_REPLY).
int SendInstallStatistics(CHttpMgr* manager, HWND window, const InstallStatisticsInfo& info);
