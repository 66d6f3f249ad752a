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

#include <string>
#include <vector>

class CInstallManifest
{
public:
    static std::wstring PathIn(const std::wstring& installDir);
    // A relative path the manifest may hold.
    static bool IsSafeRelativePath(const std::wstring& path);

    // Reads the manifest of the folder; false (and empty) when there is none or its first
    // line is not the header.
    bool Load(const std::wstring& installDir);
    // False for a path the manifest may not hold; a path already listed is not added again.
    bool AddFile(const std::wstring& relativePath);
    bool AddFolder(const std::wstring& relativePath);
    // Written beside and renamed over the old one, so a reader sees a whole list.
    bool Save(const std::wstring& installDir) const;

    const std::vector<std::wstring>& Files() const { return m_files; }
    const std::vector<std::wstring>& Folders() const { return m_folders; }

    std::string Serialize() const;
    bool Parse(const std::string& text);

private:
    static bool AddUnique(std::vector<std::wstring>& list, const std::wstring& path);

    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_folders;
};
