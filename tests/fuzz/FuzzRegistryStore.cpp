// Any bytes as a hive file: opening, querying and enumerating never crash, never read or
// write past a buffer, and a change keeps every value that could be read before it.
#include "platform/Registry.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
std::string HivePath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/fuzz-registry-XXXXXX";
        if (::mkdtemp(folder) == nullptr)
            std::abort();
        ::setenv("PICTAVO_STATE_DIR", folder, 1);
        ::mkdir((std::string(folder) + "/registry").c_str(), 0700);
        platform::SetRegistryWarningSink([](const std::string&) {});
        return std::string(folder) + "/registry/HKEY_LOCAL_MACHINE.reg";
    }();
    return path;
}

struct Seen
{
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

// Every value of the key, with data read through a buffer of exactly the reported size.
std::vector<Seen> ReadValues(HKEY key)
{
    std::vector<Seen> values;
    for (DWORD i = 0; i < 64; ++i)
    {
        wchar_t name[REG_MAX_VALUE_NAME + 1];
        DWORD chars = REG_MAX_VALUE_NAME + 1;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, i, name, &chars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        // String data land as wchar_t: size / 2 of them.
        std::vector<BYTE> data(size / 2 * sizeof(wchar_t) + size + 1);
        DWORD got = size;
        if (RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &got) != ERROR_SUCCESS || got != size)
            std::abort();
        values.push_back(Seen{name, type, data});
    }
    return values;
}

void Walk(HKEY key, int depth)
{
    ReadValues(key);
    for (DWORD i = 0; depth < 4 && i < 16; ++i)
    {
        wchar_t name[REG_MAX_KEY_NAME + 1];
        if (RegEnumKeyW(key, i, name, REG_MAX_KEY_NAME + 1) != ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_ALL_ACCESS, &child) != ERROR_SUCCESS)
            std::abort(); // an enumerated key must open
        Walk(child, depth + 1);
        RegCloseKey(child);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = HivePath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Walk(HKEY_LOCAL_MACHINE, 0);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Pictavo", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    const std::vector<Seen> before = ReadValues(key);
    const DWORD number = 7;
    if (RegSetValueExW(key, L"fuzz\u00e9", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4) ==
        ERROR_SUCCESS)
    {
        std::vector<Seen> after = ReadValues(key);
        for (const Seen& value : before)
        {
            bool kept = false;
            for (const Seen& now : after)
                kept = kept || (now.name == value.name && now.type == value.type && now.data == value.data);
            if (!kept && value.name != L"fuzz\u00e9" && value.name != L"FUZZ\u00c9")
                std::abort();
        }
    }
    RegCloseKey(key);
    return 0;
}
