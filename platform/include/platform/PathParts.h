#pragma once
// The parts of a path as text, with one rule for every caller of the platform and above.
//
// ParentFolder is the folder part of a path, as POSIX dirname gives it for a file's path:
//   "/a/b/c.png" -> "/a/b"    "/c.png" -> "/"    "c.png" -> "."    "/" -> "/"
// A bare name (no '/') lies in the current folder, so its folder is "." and never the name
// itself or an empty text: the result can always be opened or have "/" and a name appended.
// The text is not normalised ("a//b" -> "a/", "a/b/" -> "a/b"): callers pass file paths.

#include <string>

namespace platform
{
std::string ParentFolder(const std::string& path);
std::wstring ParentFolder(const std::wstring& path);
} // namespace platform
