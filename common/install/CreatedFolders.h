#pragma once
// The folders the setup created for an install, so that the uninstaller (and a setup that is
// left before it installs) removes them again, deepest first, and only while they are empty;
// and the default output folder when Pictavo made it.
//
// Kept in the product key as the REG_MULTI_SZ value "installDirsCreated": absolute paths, the
// outermost first and the deepest (the install folder, when the setup made it) last. An older
// setup recorded only "installDirCreated" ("1": it made the install folder); that record is
// still read.

#include <string>
#include <vector>

inline constexpr const wchar_t* kCreatedFoldersValue = L"installDirsCreated";

// The folders of path that do not exist yet, outermost first (path itself last): those that
// CreateDirectoryTree(path) will make. Empty for a relative path.
std::vector<std::wstring> MissingFolders(const std::wstring& path);
// Of folders, those that exist now as folders, in the same order.
std::vector<std::wstring> ExistingFolders(const std::vector<std::wstring>& folders);
// Removes each folder that is empty, deepest (last) first; a folder that holds anything stays.
void RemoveEmptyFolders(const std::vector<std::wstring>& folders);

// Writes the list to the product key; false when it could not be written.
bool RecordCreatedFolders(const std::vector<std::wstring>& folders);
// The recorded folders that are installDir itself or lie above it, outermost first. Without
// the list, an older record's "1" stands for installDir alone.
std::vector<std::wstring> ReadCreatedFolders(const std::wstring& installDir);

// Pictavo made its default output folder (kept as "outDirCreated"), which the uninstaller
// removes when it is still empty.
inline constexpr const wchar_t* kMadeOutputFolderValue = L"outDirCreated";
void RecordMadeOutputFolder(const std::wstring& folder);
