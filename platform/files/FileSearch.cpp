#include "platform/files/FileSearch.h"

#include "platform/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace platform::files
{
namespace
{
bool SameLetter(wchar_t a, wchar_t b)
{
    return a == b || std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
}

bool DotEntryFirst(const std::string& a, const std::string& b)
{
    const auto rank = [](const std::string& name) { return name == "." ? 0 : (name == ".." ? 1 : 2); };
    if (rank(a) != rank(b))
        return rank(a) < rank(b);
    return a < b;
}

// The names of the folder, "." and ".." first; false with errno when it cannot be read.
bool ListFolder(const std::string& folder, std::vector<std::string>* names)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return false;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get()))
        names->emplace_back(entry->d_name);
    if (errno != 0)
        return false;
    std::sort(names->begin(), names->end(), DotEntryFirst);
    return true;
}
} // namespace

bool FileSearch::MaskMatches(std::wstring_view mask, std::wstring_view name)
{
    if (mask == L"*" || mask == L"*.*")
        return true;
    // Greedy matcher with one back-tracking point, enough for "*" and "?".
    std::size_t m = 0;
    std::size_t n = 0;
    std::size_t starMask = std::wstring_view::npos;
    std::size_t starName = 0;
    while (n < name.size())
    {
        if (m < mask.size() && (mask[m] == L'?' || (mask[m] != L'*' && SameLetter(mask[m], name[n]))))
        {
            ++m;
            ++n;
        }
        else if (m < mask.size() && mask[m] == L'*')
        {
            starMask = m++;
            starName = n;
        }
        else if (starMask != std::wstring_view::npos)
        {
            m = starMask + 1;
            n = ++starName;
        }
        else
            return false;
    }
    while (m < mask.size() && mask[m] == L'*')
        ++m;
    return m == mask.size();
}

FileSearch* FileSearch::Start(const std::string& pattern, int* err)
{
    const auto slash = pattern.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
    const std::wstring mask = FromUtf8(slash == std::string::npos ? pattern : pattern.substr(slash + 1));
    std::vector<std::string> names;
    if (!ListFolder(folder, &names))
    {
        *err = errno;
        return nullptr;
    }
    std::vector<Entry> entries;
    for (const std::string& name : names)
    {
        Entry entry{FromUtf8(name), {}};
        // An entry removed since the listing is simply left out.
        if (MaskMatches(mask, entry.name) && StatPath(folder + "/" + name, false, &entry.status) == 0)
            entries.push_back(std::move(entry));
    }
    if (entries.empty())
    {
        *err = 0;
        return nullptr;
    }
    return new FileSearch(std::move(entries));
}

const FileSearch::Entry* FileSearch::Next()
{
    return m_next < m_entries.size() ? &m_entries[m_next++] : nullptr;
}

DWORD FileSearch::AttributesOf(const Entry& entry) const
{
    const std::string name = ToUtf8(entry.name);
    return files::AttributesOf(entry.status, name, false);
}
} // namespace platform::files
