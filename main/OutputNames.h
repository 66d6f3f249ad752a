#pragma once
// Where a finished output goes: never over an existing file. The first free name of
// "<stem>.<ext>", "<stem> (2).<ext>", "<stem> (3).<ext>", ... is taken at the moment the
// output is moved into place, atomically, so two rows, two tabs or two programs writing the
// same name at once each keep their result.

#include <string>

// The n-th name of a path: the path itself for n = 1, else " (n)" put before the extension of
// its file name (after the whole name when it has none).
std::string NumberedName(const std::string& path, int n);

// Moves the complete file tempPath to the first free name of finalPath and gives that name in
// written. False with errno set when no name could be taken (the file stays at tempPath).
bool MoveToFreeName(const std::string& tempPath, const std::string& finalPath, std::string& written);
