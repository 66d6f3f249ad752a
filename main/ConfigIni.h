#pragma once
// Accessors of the main program's config.ini and of the product registry values it reads.
// Nothing is cached: every call reads the file or the key as it is now.

#include <string>

class CConfigIni
{
public:
    // config.ini beside the running program.
    CConfigIni();
    // A file of the caller's choosing (the tests, and tools that edit another install).
    explicit CConfigIni(std::wstring iniPath);

    std::wstring GetVersionUrl();
    std::wstring GetInstallStatisticsUrl();
    std::wstring GetLoginUrl();
    std::wstring GetOutDir();
    // The remembered login key, stored as base64 of its ANSI text.
    std::wstring GetKey();
    void SetKey(const std::wstring& text);
    std::wstring GetMachineId();

    static std::wstring GetVersionStr();
    static std::wstring GetChannel();

    std::wstring m_strIniPath;

private:
    std::wstring ReadText(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                          size_t chars);
};
