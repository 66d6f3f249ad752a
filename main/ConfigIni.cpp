#include "main/ConfigIni.h"

#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/http/Base64.h"
#include "common/install/RegSettings.h"

#include "platform/Win32.h"

#include <vector>

namespace
{
constexpr size_t kUrlChars = 1024;
// The output folder is read whole (a path cut to fit could name another folder that exists).
constexpr size_t kOutDirChars = 4096;
constexpr size_t kMachineIdChars = 256;
constexpr DWORD kRegReadBytes = 128;
constexpr DWORD kMachineIdReadBytes = 256;

#define PICTAVO_SERVICE_HOST L"http://api.pictavo.com"
constexpr const wchar_t* kDefaultVersionUrl = PICTAVO_SERVICE_HOST L"/Soft/Sys/GetNewVersion";
constexpr const wchar_t* kDefaultStatisticsUrl = PICTAVO_SERVICE_HOST L"/Soft/Sys/InstallationPackage";
constexpr const wchar_t* kDefaultLoginUrl = PICTAVO_SERVICE_HOST L"/Soft/Oauth/Login";
#undef PICTAVO_SERVICE_HOST
constexpr const wchar_t* kDefaultChannel = L"guanwan";
} // namespace

CConfigIni::CConfigIni() : m_strIniPath(GetModuleDir() + L"/config.ini") {}

CConfigIni::CConfigIni(std::wstring iniPath) : m_strIniPath(std::move(iniPath)) {}

std::wstring CConfigIni::ReadText(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                  size_t chars)
{
    std::vector<wchar_t> buffer(chars, L'\0');
    GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), static_cast<DWORD>(chars),
                             m_strIniPath.c_str());
    buffer.back() = L'\0';
    return buffer.data();
}

std::wstring CConfigIni::GetVersionUrl()
{
    return ReadText(L"Config", L"version_url", kDefaultVersionUrl, kUrlChars);
}

std::wstring CConfigIni::GetInstallStatisticsUrl()
{
    return ReadText(L"Config", L"install_statistics_url", kDefaultStatisticsUrl, kUrlChars);
}

std::wstring CConfigIni::GetLoginUrl()
{
    return ReadText(L"Config", L"login_url", kDefaultLoginUrl, kUrlChars);
}

std::wstring CConfigIni::GetOutDir()
{
    return ReadText(L"CONFIG", L"out_dir", L"", kOutDirChars);
}

std::wstring CConfigIni::GetKey()
{
    const std::wstring stored = ReadText(L"Config", L"key", L"", kUrlChars);
    if (stored.empty())
        return {};
    const std::string base64 = WideToAnsi(stored);
    return AnsiToWide(Base64Decode(base64.c_str(), static_cast<int>(base64.size())));
}

void CConfigIni::SetKey(const std::wstring& text)
{
    std::wstring stored;
    if (!text.empty())
    {
        const std::string ansi = WideToAnsi(text);
        stored = AnsiToWide(
            Base64Encode(reinterpret_cast<const unsigned char*>(ansi.data()), static_cast<int>(ansi.size())));
    }
    WritePrivateProfileStringW(L"Config", L"key", stored.c_str(), m_strIniPath.c_str());
}

std::wstring CConfigIni::GetMachineId()
{
    const std::wstring id = ReadProductRegValue(L"MachineId", kMachineIdReadBytes);
    if (!id.empty())
        return id;
    return ReadText(L"MACHINE", L"machineId", L"", kMachineIdChars);
}

std::wstring CConfigIni::GetVersionStr()
{
    return ReadProductRegValue(L"version_str", kRegReadBytes);
}

std::wstring CConfigIni::GetChannel()
{
    const std::wstring channel = ReadProductRegValue(L"channel", kRegReadBytes);
    return channel.empty() ? kDefaultChannel : channel;
}
