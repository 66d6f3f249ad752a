// The special folder calls over SpecialFolders, with the MAX_PATH buffers of their callers.
#include "platform/Shell.h"
#include "platform/WinError.h"
#include "platform/shell/ItemIdList.h"
#include "platform/shell/SpecialFolders.h"

#include <cwchar>

using platform::SpecialFolders;

namespace
{
// The folder of csidl, made when asked; S_OK, E_INVALIDARG or E_FAIL with the last error set.
HRESULT Resolve(int csidl, bool create, std::wstring& folder)
{
    folder = SpecialFolders::PathOf(csidl);
    if (folder.empty())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_INVALIDARG;
    }
    if (create && !SpecialFolders::Ensure(folder))
    {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return E_FAIL;
    }
    return S_OK;
}

// A path is never cut: one that does not fit leaves an empty buffer.
bool CopyToMaxPath(const std::wstring& text, LPWSTR buffer)
{
    if (text.size() >= MAX_PATH)
    {
        buffer[0] = L'\0';
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::wmemcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

HRESULT IntoBuffer(int csidl, bool create, LPWSTR path)
{
    if (path == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_INVALIDARG;
    }
    path[0] = L'\0';
    std::wstring folder;
    const HRESULT result = Resolve(csidl, create, folder);
    if (FAILED(result))
        return result;
    return CopyToMaxPath(folder, path) ? S_OK : E_FAIL;
}
} // namespace

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create)
{
    return SUCCEEDED(IntoBuffer(csidl, create != FALSE, path)) ? TRUE : FALSE;
}

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path)
{
    return IntoBuffer(csidl, (csidl & CSIDL_FLAG_CREATE) != 0, path);
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, PIDLIST_ABSOLUTE* pidl)
{
    if (pidl == nullptr)
        return E_INVALIDARG;
    *pidl = nullptr;
    std::wstring folder;
    const HRESULT result = Resolve(csidl, (csidl & CSIDL_FLAG_CREATE) != 0, folder);
    if (FAILED(result))
        return result;
    *pidl = platform::ItemIdList::Create(folder);
    return *pidl != nullptr ? S_OK : E_FAIL;
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path)
{
    if (path == nullptr)
        return FALSE;
    path[0] = L'\0';
    const std::optional<std::wstring> folder = platform::ItemIdList::PathOf(pidl);
    if (!folder)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CopyToMaxPath(*folder, path) ? TRUE : FALSE;
}
