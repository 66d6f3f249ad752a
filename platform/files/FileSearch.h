#pragma once
// One directory search: the matching entries of a folder, read when the search starts so that
// callers may delete what they find while they go on.

#include "platform/files/FileStatus.h"

#include "platform/KernelObject.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform::files
{
class FileSearch : public KernelObject
{
public:
    struct Entry
    {
        std::wstring name;
        FileStatus status; // of the entry itself (lstat): a link is never a folder here
    };

    // Starts a search for "<folder>/<mask>". nullptr with *err = 0 when nothing matches, or
    // with the errno of the folder when it cannot be read.
    static FileSearch* Start(const std::string& pattern, int* err);

    // Windows matching: "*" any run, "?" one character, letter case ignored, "*.*" everything.
    static bool MaskMatches(std::wstring_view mask, std::wstring_view name);

    // The next entry, or nullptr after the last one.
    const Entry* Next();
    DWORD AttributesOf(const Entry& entry) const;

private:
    explicit FileSearch(std::vector<Entry> entries) : m_entries(std::move(entries)) {}

    std::vector<Entry> m_entries;
    std::size_t m_next = 0;
};
} // namespace platform::files
