#include "InstallStatistics.h"

#include "Base64.h"
#include "HttpMgr.h"
#include "InstallIni.h"
#include "StringHelper.h"

#include "platform/Win32.h"

#include <json/json.h>

#include <cstdio>

namespace
{
constexpr DWORD kUrlChars = 1024;
constexpr const wchar_t* kDefaultStatisticsUrl = L"http://api.pictavo.com/Soft/Sys/InstallationPackage";

std::string PercentEncode(const std::wstring& value)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : WideToAnsi(value))
    {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~')
        {
            encoded += static_cast<char>(c);
            continue;
        }
        encoded += '%';
        encoded += kHex[c >> 4];
        encoded += kHex[c & 0x0F];
    }
    return encoded;
}
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
    const std::string joint = base.find(L'?') == std::wstring::npos ? "?" : "&";
    return WideToAnsi(base) + joint + "versionid=" + PercentEncode(info.versionId) +
           "&version=" + PercentEncode(info.version) + "&qudao=" + PercentEncode(info.channel);
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
    const std::string json = InstallStatisticsJson(info);
    return "info=" +
           Base64Encode(reinterpret_cast<const unsigned char*>(json.data()), static_cast<int>(json.size()));
}

int SendInstallStatistics(CHttpMgr* manager, HWND window, const InstallStatisticsInfo& info)
{
    const std::string url = InstallStatisticsUrl(InstallStatisticsBaseUrl(), info);
    const std::string body = InstallStatisticsBody(info);
    const int id = manager->AsyncPost(url, body, window, 0);
    const std::wstring line = L"stUrl=" + AnsiToWide(url) + L" stData=" + AnsiToWide(body);
    OutputDebugStringW(line.substr(0, 4095).c_str());
    return id;
}
