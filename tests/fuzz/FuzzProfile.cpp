// Any bytes as a profile file: reads and enumeration stay inside their buffers, and a write
// of one key leaves the value of every other key as it was.
#include "platform/Profile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
const std::string& FilePath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/fuzz-profile-XXXXXX";
        if (::mkdtemp(folder) == nullptr)
            std::abort();
        return std::string(folder) + "/config.ini";
    }();
    return path;
}

// The NUL-separated names of a list read into a buffer that the list fits.
std::vector<std::wstring> ReadList(LPCWSTR section, LPCWSTR file)
{
    std::vector<wchar_t> buffer(1 << 16);
    const DWORD count = GetPrivateProfileStringW(section, nullptr, L"", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file);
    std::vector<std::wstring> names;
    for (DWORD start = 0; start < count;)
    {
        std::wstring name(buffer.data() + start);
        start += static_cast<DWORD>(name.size()) + 1;
        names.push_back(std::move(name));
    }
    return names;
}

std::wstring ReadValue(const std::wstring& section, const std::wstring& key, LPCWSTR file, DWORD size = 4096)
{
    std::vector<wchar_t> buffer(size);
    const DWORD count =
        GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<none>", buffer.data(), size, file);
    if (count >= size)
        std::abort();
    return std::wstring(buffer.data(), count);
}

using Entry = std::pair<std::pair<std::wstring, std::wstring>, std::wstring>;

std::vector<Entry> ReadAll(LPCWSTR file)
{
    std::vector<Entry> entries;
    for (const std::wstring& section : ReadList(nullptr, file))
    {
        for (const std::wstring& key : ReadList(section.c_str(), file))
            entries.push_back({{section, key}, ReadValue(section, key, file)});
    }
    return entries;
}

// Only ASCII letters fold to the letters of the new key's name.
bool IsNewKey(const Entry& entry)
{
    const std::wstring& key = entry.first.second;
    const std::wstring name = L"fuzz_new_";
    if (key.size() != name.size())
        return false;
    for (size_t i = 0; i < key.size(); ++i)
    {
        const wchar_t lower = key[i] >= L'A' && key[i] <= L'Z' ? key[i] + 32 : key[i];
        if (lower != name[i])
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = FilePath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::wstring file(path.begin(), path.end());
    const std::vector<Entry> before = ReadAll(file.c_str());
    for (const Entry& entry : before)
        ReadValue(entry.first.first, entry.first.second, file.c_str(), 3); // cut to a tiny buffer
    wchar_t tiny[3];
    GetPrivateProfileStringW(nullptr, nullptr, L"", tiny, 3, file.c_str());
    GetPrivateProfileIntW(L"CONFIG", L"LogLevel", 1, file.c_str());

    const std::wstring section = before.empty() ? L"Fuzz" : before.front().first.first;
    if (!WritePrivateProfileStringW(section.c_str(), L"fuzz_new_", L"written", file.c_str()))
        return 0; // a section name the writer refuses
    if (ReadValue(section, L"fuzz_new_", file.c_str()) != L"written")
        std::abort();
    for (const Entry& entry : before)
    {
        if (!IsNewKey(entry) &&
            ReadValue(entry.first.first, entry.first.second, file.c_str()) != entry.second)
            std::abort();
    }
    return 0;
}
