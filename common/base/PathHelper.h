#pragma once
// The program's folder, single-file operations, folder trees and folder listings.
//
// PathExists, RemoveFile and MakeDir refuse a relative path or one with a "." or ".."
// component (result -1), as the long-path form they are built on refuses them elsewhere;
// every caller passes absolute paths built from the program, temporary or install folder.

#include "platform/Win32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The running program's folder without a trailing "/".
std::wstring GetModuleDir();
// folder + "/" + name, as the programs build their paths (nothing is normalised).
std::wstring Join(const std::wstring& folder, const std::wstring& name);
// The path with every link resolved; empty when it does not exist.
std::wstring RealPath(const std::wstring& path);

// Size in bytes of a file that exists and may be written; 0 otherwise.
std::uint64_t GetFileSize64(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
// 0 when the path exists (mode 0: existence only), -1 when not.
int PathExists(const std::wstring& path, int mode);
// 0 when the file (or link) was removed, -1 when not.
int RemoveFile(const std::wstring& path);
// One level; 0 when made, -1 when not (also when it exists).
int MakeDir(const std::wstring& path);

// Makes every missing folder of path; false for an empty path or when a level cannot be made.
bool CreateDirectoryTree(const std::wstring& path);
// The same for a path in the ANSI code page.
bool CreateDirectoryTree(const std::string& path);
// Deletes the folder with everything in it, never following a symbolic link. A path that
// cannot be searched (missing, a file, a link) is removed as a file and the result is false;
// true means the folder could be searched, not that everything went.
bool DeleteDirectoryTree(const std::wstring& dir);
// Calls visit for every entry the search pattern ("<folder>/*") finds, "." and ".." included;
// false when the search cannot start.
bool ForEachDirectoryEntry(const std::wstring& pattern,
                           const std::function<void(const _wfinddata_t&)>& visit);
// Appends the names of the entries of dir that are not folders, in search order.
void ListDirectory(std::vector<std::wstring>* out, const std::wstring& dir);
