#include "common/http/StatisticsRequest.h"

#include "common/base/StringHelper.h"
#include "common/http/Base64.h"
#include "common/http/HttpMgr.h"

#include "platform/Win32.h"

#include <cctype>

namespace
{
constexpr std::size_t kDebugLineChars = 4095;

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

std::string StatisticsUrl(const std::wstring& base, const std::wstring& versionId,
                          const std::wstring& version, const std::wstring& channel)
{
    const std::string joint = base.find(L'?') == std::wstring::npos ? "?" : "&";
    return WideToAnsi(base) + joint + "versionid=" + PercentEncode(versionId) +
           "&version=" + PercentEncode(version) + "&qudao=" + PercentEncode(channel);
}

std::string StatisticsBody(const std::string& json)
{
    return "info=" +
           Base64Encode(reinterpret_cast<const unsigned char*>(json.data()), static_cast<int>(json.size()));
}

int PostStatistics(CHttpMgr* manager, HWND window, const std::string& url, const std::string& body)
{
    const int id = manager->AsyncPost(url, body, window, 0);
    const std::wstring line = L"stUrl=" + AnsiToWide(url) + L" stData=" + AnsiToWide(body);
    OutputDebugStringW(line.substr(0, kDebugLineChars).c_str());
    return id;
}
