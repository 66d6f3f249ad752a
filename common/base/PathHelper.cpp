#include "common/base/PathHelper.h"

#include "common/base/StringHelper.h"

#include "platform/Win32.h"

#include <climits>
#include <cstdlib>

namespace
{
bool IsDotName(const std::wstring& name)
{
    return name == L"." || name == L"..";
}

// What the long-path form accepts: absolute, and no "." or ".." component.
bool IsPlainAbsolute(const std::wstring& path)
{
    if (path.empty() || path.front() != L'/')
        return false;
    size_t begin = 1;
    while (begin <= path.size())
    {
        size_t end = path.find(L'/', begin);
        if (end == std::wstring::npos)
            end = path.size();
        if (IsDotName(path.substr(begin, end - begin)))
            return false;
        begin = end + 1;
    }
    return true;
}

bool IsSymbolicLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace

bool ForEachDirectoryEntry(const std::wstring& pattern, const std::function<void(const _wfinddata_t&)>& visit)
{
    _wfinddata_t entry{};
    const intptr_t search = _wfindfirst(pattern.c_str(), &entry);
    if (search == -1)
        return false;
    do
        visit(entry);
    while (_wfindnext(search, &entry) == 0);
    _findclose(search);
    return true;
}

std::wstring GetModuleDir()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    const size_t slash = dir.rfind(L'/');
    return slash == std::wstring::npos ? dir : dir.substr(0, slash);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    return folder + L"/" + name;
}

std::uint64_t GetFileSize64(const std::wstring& path)
{
    // Opened for reading and writing as the design asks; the read-only attribute refuses
    // the write open here too, even for a user whom the file system would let through.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return 0;
    FILE* file = _wfopen(path.c_str(), L"r+b");
    if (file == nullptr)
        return 0;
    std::uint64_t size = 0;
    if (fseeko(file, 0, SEEK_END) == 0)
    {
        const off_t end = ftello(file);
        size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
    fseeko(file, 0, SEEK_SET);
    std::fclose(file);
    return size;
}

bool IsDirectory(const std::wstring& path)
{
    return PathIsDirectoryW(path.c_str()) != FALSE;
}

int PathExists(const std::wstring& path, int mode)
{
    if (!IsPlainAbsolute(path))
        return -1;
    return _waccess(path.c_str(), mode) == 0 ? 0 : -1;
}

int RemoveFile(const std::wstring& path)
{
    if (!IsPlainAbsolute(path))
        return -1;
    return _wremove(path.c_str()) == 0 ? 0 : -1;
}

int MakeDir(const std::wstring& path)
{
    if (!IsPlainAbsolute(path))
        return -1;
    return _wmkdir(path.c_str()) == 0 ? 0 : -1;
}

bool CreateDirectoryTree(const std::wstring& path)
{
    if (path.empty())
        return false;
    std::wstring normalized = path;
    NormalizeSlashes(normalized);
    for (size_t slash = normalized.find(L'/'); slash != std::wstring::npos;
         slash = normalized.find(L'/', slash + 1))
    {
        const std::wstring prefix = normalized.substr(0, slash);
        if (prefix.empty() || IsDirectory(prefix))
            continue;
        if (MakeDir(prefix) != 0)
            return false;
    }
    return true;
}

bool CreateDirectoryTree(const std::string& path)
{
    return CreateDirectoryTree(AnsiToWide(path));
}

bool DeleteDirectoryTree(const std::wstring& dir)
{
    // A link given as the folder itself is removed as a link: its target is not ours to empty.
    const bool searched =
        !IsSymbolicLink(dir) && ForEachDirectoryEntry(dir + L"/*.*", [&dir](const _wfinddata_t& entry) {
            const std::wstring name = entry.name;
            if (IsDotName(name))
                return;
            if (entry.attrib & _A_SUBDIR) // never set for a link
                DeleteDirectoryTree(dir + L"/" + name);
            else
                RemoveFile(dir + L"/" + name);
        });
    if (!searched)
    {
        RemoveFile(dir);
        return false;
    }
    _wrmdir(dir.c_str());
    return true;
}

void ListDirectory(std::vector<std::wstring>* out, const std::wstring& dir)
{
    ForEachDirectoryEntry(dir + L"/*", [out](const _wfinddata_t& entry) {
        if ((entry.attrib & _A_SUBDIR) == 0)
            out->push_back(entry.name);
    });
}

std::wstring RealPath(const std::wstring& path)
{
    char resolved[PATH_MAX] = {};
    return ::realpath(WideToAnsi(path).c_str(), resolved) != nullptr ? AnsiToWide(resolved) : std::wstring();
}
