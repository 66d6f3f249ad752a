#include "uninst/UninstStatistics.h"

#include "common/base/StringHelper.h"
#include "common/http/HttpMgr.h"
#include "common/http/StatisticsRequest.h"
#include "common/install/ProductFiles.h"

#include "platform/Win32.h"

#include <json/json.h>

namespace
{
constexpr DWORD kUrlChars = 1024;
constexpr const wchar_t* kDefaultStatisticsUrl = L"http://api.pictavo.com/Soft/Sys/Uninstall";
constexpr int kUninstallType = 2;
} // namespace

std::wstring UninstallStatisticsBaseUrl(const std::wstring& installDir)
{
    wchar_t buffer[kUrlChars] = {};
    const std::wstring ini = installDir + L"/" + ProductFiles::kConfigFile;
    GetPrivateProfileStringW(L"Config", L"uninstall_statistics_url", kDefaultStatisticsUrl, buffer, kUrlChars,
                             ini.c_str());
    return buffer;
}

std::string UninstallStatisticsJson(const std::wstring& versionId, const std::wstring& version,
                                    const std::wstring& channel, const std::wstring& machineId)
{
    Json::Value root(Json::objectValue);
    root["machineid"] = WideToAnsi(machineId);
    root["ins_type"] = kUninstallType;
    root["versionid"] = WideToAnsi(versionId);
    root["version"] = WideToAnsi(version);
    root["channel"] = WideToAnsi(channel);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, root) + "\n";
}

int SendUninstallStatistics(HWND notify, const std::wstring& base, const std::wstring& versionId,
                            const std::wstring& version, const std::wstring& channel,
                            const std::wstring& machineId)
{
    return PostStatistics(CHttpMgr::GetInstance(), notify, StatisticsUrl(base, versionId, version, channel),
                          StatisticsBody(UninstallStatisticsJson(versionId, version, channel, machineId)));
}
