#include "common/install/CreatedFolders.h"

#include "common/base/PathHelper.h"
#include "common/install/RegSettings.h"

#include "platform/Win32.h"

#include <cwchar>
#include <sys/stat.h>

namespace
{
// Room for a long list of long paths; a longer one is not read at all.
constexpr DWORD kListBytes = 64 * 1024;

bool IsRealFolder(const std::wstring& path)
{
    struct stat info;
    return ::lstat(platform::ToUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// folder is installDir or one of the folders above it, as the setup spelt them.
bool IsOnTheWayTo(const std::wstring& folder, const std::wstring& installDir)
{
    if (folder.empty() || folder.front() != L'/' || folder.size() > installDir.size() ||
        installDir.compare(0, folder.size(), folder) != 0)
        return false;
    return folder.size() == installDir.size() || installDir[folder.size()] == L'/';
}
} // namespace

std::vector<std::wstring> MissingFolders(const std::wstring& path)
{
    std::vector<std::wstring> missing;
    if (path.empty() || path.front() != L'/')
        return missing;
    for (std::size_t slash = path.find(L'/', 1);; slash = path.find(L'/', slash + 1))
    {
        const std::wstring prefix = path.substr(0, slash);
        if (!prefix.empty() && prefix.back() != L'/' && !IsDirectory(prefix))
            missing.push_back(prefix);
        if (slash == std::wstring::npos)
            break;
    }
    return missing;
}

std::vector<std::wstring> ExistingFolders(const std::vector<std::wstring>& folders)
{
    std::vector<std::wstring> existing;
    for (const std::wstring& folder : folders)
        if (IsRealFolder(folder))
            existing.push_back(folder);
    return existing;
}

void RemoveEmptyFolders(const std::vector<std::wstring>& folders)
{
    // rmdir refuses a folder that holds anything, and a link in place of one.
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        if (IsRealFolder(*folder))
            ::RemoveDirectoryW(folder->c_str());
}

bool RecordCreatedFolders(const std::vector<std::wstring>& folders)
{
    std::wstring data;
    for (const std::wstring& folder : folders)
        data += folder + L'\0';
    data += L'\0';
    const CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    const auto bytes = static_cast<DWORD>(data.size() * 2);
    return reg.IsOpen() && bytes <= kListBytes &&
           RegSetValueExW(reg.GetKey(), kCreatedFoldersValue, 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

std::vector<std::wstring> ReadCreatedFolders(const std::wstring& installDir)
{
    std::vector<std::wstring> folders;
    std::vector<wchar_t> buffer(kListBytes / 2 + 2, L'\0');
    DWORD type = REG_NONE;
    DWORD size = kListBytes;
    const CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    if (!reg.IsOpen() ||
        RegQueryValueExW(reg.GetKey(), kCreatedFoldersValue, nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
    {
        if (ReadProductRegValue(kCreatedFolderValue, 16) == L"1" && !installDir.empty())
            folders.push_back(installDir);
        return folders;
    }
    for (const wchar_t* entry = buffer.data(); *entry != L'\0'; entry += std::wcslen(entry) + 1)
        if (IsOnTheWayTo(entry, installDir))
            folders.emplace_back(entry);
    return folders;
}

void RecordMadeOutputFolder(const std::wstring& folder)
{
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true)
        .SetValue(kMadeOutputFolderValue, folder.c_str());
}
