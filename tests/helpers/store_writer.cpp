// Test helper: writes into a profile file or a registry key from its own process, so that
// tests can race real processes against each other or kill one in the middle of a write.
//   store_writer profile <file> <prefix> <count>     keys <prefix><i> = v<i> in [Race]
//   store_writer registry <subkey> <prefix> <count>  REG_SZ values under HKEY_LOCAL_MACHINE
//   store_writer rewrite <file>                      sets [Race] counter = 1, 2, ... forever
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
int WriteProfile(const std::wstring& file, const std::wstring& prefix, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const std::wstring value = L"v" + std::to_wstring(i);
        if (!WritePrivateProfileStringW(L"Race", (prefix + std::to_wstring(i)).c_str(), value.c_str(),
                                        file.c_str()))
            return 1;
    }
    return 0;
}

int WriteRegistry(const std::wstring& subKey, const std::wstring& prefix, int count)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 1;
    int status = 0;
    for (int i = 0; i < count && status == 0; ++i)
    {
        const std::wstring value = L"v" + std::to_wstring(i);
        const auto bytes = static_cast<DWORD>((value.size() + 1) * 2);
        if (RegSetValueExW(key, (prefix + std::to_wstring(i)).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.c_str()), bytes) != ERROR_SUCCESS)
            status = 1;
    }
    RegCloseKey(key);
    return status;
}

int RewriteForever(const std::wstring& file)
{
    for (unsigned long i = 1;; ++i)
    {
        if (!WritePrivateProfileStringW(L"Race", L"counter", std::to_wstring(i).c_str(), file.c_str()))
            return 1;
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: store_writer profile|registry|rewrite <target> [prefix count]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::wstring target = platform::FromUtf8(argv[2]);
    if (mode == "rewrite")
        return RewriteForever(target);
    if (argc < 5)
        return 2;
    const std::wstring prefix = platform::FromUtf8(argv[3]);
    const int count = std::atoi(argv[4]);
    return mode == "profile" ? WriteProfile(target, prefix, count) : WriteRegistry(target, prefix, count);
}
