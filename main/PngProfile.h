#pragma once
// A colour profile for a PNG written without any: ImageMagick 6 writes a PNG's profile only
// together with its text chunks, so a stripped PNG gets the profile back here, as the iCCP
// chunk right after the header, before the file is committed.

#include <string>

// Inserts the profile into the PNG open for reading and writing at fd. False when the file
// does not start with a PNG header or cannot be rewritten.
bool InsertPngProfile(int fd, const std::string& profile);
