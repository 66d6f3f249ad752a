// Directory searches: FindFirstFileW and the C runtime's _wfindfirst over one FileSearch.
#include "platform/files/FileSearch.h"
#include "platform/files/PathText.h"

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/WinError.h"

#include <cerrno>

namespace
{
using platform::HandleRef;
using platform::files::FileSearch;

void Fill(const FileSearch& search, const FileSearch::Entry& entry, WIN32_FIND_DATAW* data)
{
    *data = WIN32_FIND_DATAW{};
    data->dwFileAttributes = search.AttributesOf(entry);
    data->ftCreationTime = platform::UnixToFileTime(entry.status.creationTime);
    data->ftLastAccessTime = platform::UnixToFileTime(entry.status.accessTime);
    data->ftLastWriteTime = platform::UnixToFileTime(entry.status.writeTime);
    data->nFileSizeHigh = static_cast<DWORD>(entry.status.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(entry.status.size & 0xFFFFFFFF);
    platform::files::CopyTruncated(entry.name, data->cFileName, MAX_PATH);
}

void Fill(const FileSearch& search, const FileSearch::Entry& entry, _wfinddata_t* data)
{
    *data = _wfinddata_t{};
    // The C runtime's bits are the low Win32 attribute bits; a link is shown as a plain file.
    data->attrib = search.AttributesOf(entry) & (_A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_SUBDIR | _A_ARCH);
    data->time_create = entry.status.creationTime.tv_sec;
    data->time_access = entry.status.accessTime.tv_sec;
    data->time_write = entry.status.writeTime.tv_sec;
    data->size = static_cast<_fsize_t>(entry.status.size);
    platform::files::CopyTruncated(entry.name, data->name, sizeof(data->name) / sizeof(data->name[0]));
}

// Starts a search; nullptr with *err set when there is nothing to report.
FileSearch* Start(const wchar_t* pattern, int* err)
{
    std::string narrow;
    if (!platform::files::NarrowPath(pattern, &narrow))
    {
        *err = EINVAL;
        return nullptr;
    }
    return FileSearch::Start(narrow, err);
}

// Fills the first entry and registers the search; nullptr when there was none.
template <class Data> HANDLE Open(FileSearch* search, Data* data)
{
    const FileSearch::Entry* first = search->Next();
    Fill(*search, *first, data);
    return platform::RegisterHandle(search);
}

template <class Data> bool Advance(HANDLE handle, Data* data)
{
    HandleRef<FileSearch> search(platform::ReferenceHandleAs<FileSearch>(handle));
    if (!search)
        return false;
    const FileSearch::Entry* entry = search->Next();
    if (entry == nullptr)
    {
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    Fill(*search.get(), *entry, data);
    return true;
}

// Nothing matched: file not found; the folder is missing or not a folder: path not found.
DWORD SearchError(int err)
{
    if (err == 0)
        return ERROR_FILE_NOT_FOUND;
    if (err == ENOENT || err == ENOTDIR)
        return ERROR_PATH_NOT_FOUND;
    return platform::ErrorFromErrno(err);
}

bool CloseSearch(HANDLE handle)
{
    HandleRef<FileSearch> search(platform::ReferenceHandleAs<FileSearch>(handle));
    return search && CloseHandle(handle) != FALSE;
}
} // namespace

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData)
{
    int err = EINVAL;
    FileSearch* search = findData != nullptr ? Start(fileName, &err) : nullptr;
    if (search == nullptr)
    {
        SetLastError(SearchError(err));
        return INVALID_HANDLE_VALUE;
    }
    return Open(search, findData);
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData)
{
    return findData != nullptr && Advance(findFile, findData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE findFile)
{
    return CloseSearch(findFile) ? TRUE : FALSE;
}

std::intptr_t _wfindfirst(const wchar_t* fileSpec, _wfinddata_t* fileInfo)
{
    int err = EINVAL;
    FileSearch* search = fileInfo != nullptr ? Start(fileSpec, &err) : nullptr;
    if (search == nullptr)
    {
        errno = err == EINVAL ? EINVAL : ENOENT;
        return -1;
    }
    return reinterpret_cast<std::intptr_t>(Open(search, fileInfo));
}

int _wfindnext(std::intptr_t handle, _wfinddata_t* fileInfo)
{
    if (fileInfo == nullptr || !Advance(reinterpret_cast<HANDLE>(handle), fileInfo))
    {
        errno = fileInfo == nullptr ? EINVAL : ENOENT;
        return -1;
    }
    return 0;
}

int _findclose(std::intptr_t handle)
{
    if (CloseSearch(reinterpret_cast<HANDLE>(handle)))
        return 0;
    errno = ENOENT;
    return -1;
}
