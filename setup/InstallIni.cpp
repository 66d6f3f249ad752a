#include "setup/InstallIni.h"

#include "common/base/StringHelper.h"
#include "common/dialog/SingleInstance.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"
#include "common/install/SystemHelpers.h"

#include "platform/Win32.h"

#include <algorithm>

std::wstring g_strParentName;

namespace
{
constexpr DWORD kValueChars = 128;

std::wstring ReadValue(const wchar_t* key, const wchar_t* defaultValue)
{
    wchar_t buffer[kValueChars] = {};
    GetPrivateProfileStringW(L"CONFIG", key, defaultValue, buffer, kValueChars, InstallIniPath().c_str());
    return buffer;
}
} // namespace

std::wstring BesideSetup(const std::wstring& name)
{
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    return std::wstring(folder) + L"/" + name;
}

std::wstring InstallIniPath()
{
    return BesideSetup(L"install.ini");
}

std::wstring ReadInstallAppName()
{
    const std::wstring name = ReadValue(L"appname", kDefaultAppName);
    return IsPlainName(name) ? name : kDefaultAppName;
}

std::wstring ReadInstallVersion()
{
    return ReadValue(L"version_str", L"1.0.0.0");
}

std::wstring ReadInstallChannel()
{
    std::wstring channel = ReadValue(L"channel", L"");
    if (channel.empty())
    {
        const std::size_t underscore = g_strParentName.find(L'_');
        if (underscore != std::wstring::npos)
            channel = g_strParentName.substr(underscore + 1);
    }
    return channel.empty() ? L"guanwan" : channel;
}

std::wstring GetSetupTitle()
{
    return ProgramWindowTitle(PictavoProgram::SETUP, ReadInstallAppName());
}

std::wstring GetPublisherName()
{
    return L"Pictavo 开发组";
}

std::wstring GetPublisherUrl()
{
    return L"http://www.pictavo.com";
}

std::wstring ParentNameOf(const std::wstring& imagePath)
{
    const std::size_t slash = imagePath.rfind(L'/');
    return ProductFiles::WithoutProgramSuffix(slash == std::wstring::npos ? imagePath
                                                                          : imagePath.substr(slash + 1));
}
