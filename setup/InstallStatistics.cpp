#include "setup/InstallStatistics.h"

#include "common/base/StringHelper.h"
#include "common/http/StatisticsRequest.h"
#include "setup/InstallIni.h"

#include "platform/Win32.h"

#include <json/json.h>

#include <cstdio>

namespace
{
constexpr DWORD kUrlChars = 1024;
constexpr const wchar_t* kDefaultStatisticsUrl = L"http://api.pictavo.com/Soft/Sys/InstallationPackage";
} // namespace

std::wstring InstallStatisticsBaseUrl()
{
    wchar_t buffer[kUrlChars] = {};
    const std::wstring ini = BesideSetup(L"PictavoInstaller/config.ini");
    GetPrivateProfileStringW(L"Config", L"install_statistics_url", kDefaultStatisticsUrl, buffer, kUrlChars,
                             ini.c_str());
    return buffer;
}

std::string InstallStatisticsUrl(const std::wstring& base, const InstallStatisticsInfo& info)
{
    return StatisticsUrl(base, info.versionId, info.version, info.channel);
}

std::string InstallStatisticsJson(const InstallStatisticsInfo& info)
{
    Json::Value root(Json::objectValue);
    root["machineid"] = WideToAnsi(info.machineId);
    root["install"] = info.success ? 0 : 1;
    root["ins_type"] = 1;
    root["errormsg"] = AnsiToUtf8(WideToAnsi(info.message));
    root["os"] = info.osCode;
    root["versionid"] = WideToAnsi(info.versionId);
    root["version"] = WideToAnsi(info.version);
    root["channel"] = WideToAnsi(info.channel);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, root) + "\n";
}

std::string InstallStatisticsBody(const InstallStatisticsInfo& info)
{
    return StatisticsBody(InstallStatisticsJson(info));
}

int SendInstallStatistics(CHttpMgr* manager, HWND window, const InstallStatisticsInfo& info)
{
    return PostStatistics(manager, window, InstallStatisticsUrl(InstallStatisticsBaseUrl(), info),
                          InstallStatisticsBody(info));
}
