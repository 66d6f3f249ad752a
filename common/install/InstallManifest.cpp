#include "common/install/InstallManifest.h"

#include "common/install/OwnFile.h"
#include "common/install/ProductFiles.h"

#include "platform/UniqueFd.h"
#include "platform/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace
{
constexpr const char* kHeader = "PICTAVO-MANIFEST 1";

bool WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();)
    {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool IsDotPart(const std::wstring& path, std::size_t start, std::size_t end)
{
    const std::wstring part = path.substr(start, end - start);
    return part.empty() || part == L"." || part == L"..";
}
} // namespace

std::wstring CInstallManifest::PathIn(const std::wstring& installDir)
{
    return installDir + L"/" + ProductFiles::kManifestFile;
}

bool CInstallManifest::IsSafeRelativePath(const std::wstring& path)
{
    if (path.empty() || path.front() == L'/' || path.back() == L'/')
        return false;
    if (std::any_of(path.begin(), path.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F || c == L'\\'; }))
        return false;
    std::size_t start = 0;
    for (std::size_t slash; (slash = path.find(L'/', start)) != std::wstring::npos; start = slash + 1)
        if (IsDotPart(path, start, slash))
            return false;
    return !IsDotPart(path, start, path.size());
}

bool CInstallManifest::AddUnique(List& list, const std::wstring& path)
{
    if (!IsSafeRelativePath(path))
        return false;
    if (list.seen.insert(path).second)
        list.paths.push_back(path);
    return true;
}

void CInstallManifest::Clear()
{
    m_files = List();
    m_folders = List();
}

bool CInstallManifest::AddFile(const std::wstring& relativePath)
{
    return AddUnique(m_files, relativePath);
}

bool CInstallManifest::AddFolder(const std::wstring& relativePath)
{
    return AddUnique(m_folders, relativePath);
}

std::string CInstallManifest::Serialize() const
{
    std::string text = std::string(kHeader) + "\n";
    for (const std::wstring& folder : m_folders.paths)
        text += "D " + platform::ToUtf8(folder) + "\n";
    for (const std::wstring& file : m_files.paths)
        text += "F " + platform::ToUtf8(file) + "\n";
    return text;
}

bool CInstallManifest::Parse(const std::string& text)
{
    Clear();
    // Every line of a whole manifest ends with "\n": a text cut short is no list to trust.
    if (text.empty() || text.back() != '\n')
        return false;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader)
        return false;
    while (std::getline(in, line))
    {
        if (line.size() < 3 || line[1] != ' ')
            continue;
        const std::wstring path = platform::FromUtf8(line.substr(2));
        if (line[0] == 'F')
            AddFile(path);
        else if (line[0] == 'D')
            AddFolder(path);
    }
    return true;
}

bool CInstallManifest::Load(const std::wstring& installDir)
{
    std::string bytes;
    if (!ReadOwnFile(platform::ToUtf8(PathIn(installDir)), kMaxBytes, bytes) || !Parse(bytes))
    {
        Clear();
        return false;
    }
    return true;
}

bool CInstallManifest::Save(const std::wstring& installDir) const
{
    const std::string path = platform::ToUtf8(PathIn(installDir));
    const std::string temporary = path + ".new";
    std::remove(temporary.c_str());
    // Created new, so a link planted under the temporary name is never written through; the
    // rename then replaces whatever stands at the manifest's name in its own folder.
    platform::UniqueFd fd(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd)
        return false;
    const bool written = WriteAll(fd.get(), Serialize());
    if (!fd.Close() || !written || std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
