#pragma once
// The list of what the setup program put into the install folder, kept in that folder as
// "install.manifest" (UTF-8 text, "\n" line ends):
//
//   PICTAVO-MANIFEST 1
//   D <folder>      a folder the setup created (relative to the install folder)
//   F <file>        a file the setup copied (relative to the install folder)
//
// Paths use "/" and never start with "/" nor hold a "." or ".." part or a control character;
// a line that breaks these rules is dropped when read, so a damaged or altered manifest can
// never name anything outside the install folder. An over-install adds to the list of the
// previous install, so the uninstaller still finds files a newer payload no longer carries.

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

class CInstallManifest
{
public:
    static std::wstring PathIn(const std::wstring& installDir);
    // A relative path the manifest may hold.
    static bool IsSafeRelativePath(const std::wstring& path);

    // A manifest larger than this is refused as damaged: a real one lists a few hundred paths.
    static constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;

    // Reads the manifest of the folder; false (and empty) when there is none, when it is not
    // a regular file (a link, a FIFO, a folder: refused at once, never waited on), when it is
    // larger than kMaxBytes, when its first line is not the header or its last line has no
    // "\n" (cut short).
    bool Load(const std::wstring& installDir);
    // False for a path the manifest may not hold; a path already listed is not added again.
    bool AddFile(const std::wstring& relativePath);
    bool AddFolder(const std::wstring& relativePath);
    // Written beside and renamed over the old one, so a reader sees a whole list; a link in
    // the manifest's place is replaced, never written through.
    bool Save(const std::wstring& installDir) const;

    const std::vector<std::wstring>& Files() const { return m_files.paths; }
    const std::vector<std::wstring>& Folders() const { return m_folders.paths; }

    std::string Serialize() const;
    bool Parse(const std::string& text);

private:
    struct List
    {
        std::vector<std::wstring> paths;
        std::unordered_set<std::wstring> seen; // keeps adding linear in the list's length
    };
    static bool AddUnique(List& list, const std::wstring& path);
    void Clear();

    List m_files;
    List m_folders;
};
