#pragma once
// Camera metadata for the JPEGs the magick suites make: the CLI cannot write an EXIF block.

#include <string>

// Puts an EXIF block holding only the orientation tag (1 as stored, 6 turned a quarter right,
// ...) after the SOI marker of the JPEG at path.
void AddExifOrientation(const std::string& path, int orientation);
