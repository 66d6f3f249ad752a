#pragma once
// The copy and move machinery behind CopyFileW, MoveFileExW and _wrename. Each returns 0 or an
// errno value so that the Win32 and C runtime faces can report it their own way.

#include <string>

namespace platform::files
{
// Renames without replacing: EEXIST when the target exists, decided atomically by the kernel.
int RenameNoReplace(const std::string& from, const std::string& to);
// A regular file's bytes, permission bits and times into a temporary file beside the target,
// which is then renamed over it (or beside it with failIfExists: EEXIST when taken).
int CopyRegularFile(const std::string& from, const std::string& to, bool failIfExists);
// MoveFileExW with its MOVEFILE_* flags; EXDEV when another file system is not allowed.
int MovePath(const std::string& from, const std::string& to, unsigned flags);
} // namespace platform::files
