#include "InstallManifest.h"

#include "ProductFiles.h"

#include "platform/Utf.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace
{
constexpr const char* kHeader = "PICTAVO-MANIFEST 1";

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

bool CInstallManifest::AddUnique(std::vector<std::wstring>& list, const std::wstring& path)
{
    if (!IsSafeRelativePath(path))
        return false;
    if (std::find(list.begin(), list.end(), path) == list.end())
        list.push_back(path);
    return true;
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
    for (const std::wstring& folder : m_folders)
        text += "D " + platform::ToUtf8(folder) + "\n";
    for (const std::wstring& file : m_files)
        text += "F " + platform::ToUtf8(file) + "\n";
    return text;
}

bool CInstallManifest::Parse(const std::string& text)
{
    m_files.clear();
    m_folders.clear();
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
    std::ifstream in(platform::ToUtf8(PathIn(installDir)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in || !Parse(bytes.str()))
    {
        m_files.clear();
        m_folders.clear();
        return false;
    }
    return true;
}

bool CInstallManifest::Save(const std::wstring& installDir) const
{
    const std::string path = platform::ToUtf8(PathIn(installDir));
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << Serialize();
        out.flush();
        if (!out)
        {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
