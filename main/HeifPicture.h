#pragma once
// HEIC (and other HEIF) pictures decoded through libheif itself: ImageMagick 6's own reader
// drops the colour profile and the alpha channel. libheif applies the file's rotation,
// mirroring and crop; the EXIF orientation is not applied again, and no EXIF block goes along
// that could make a viewer do so. The picture reaches ImageMagick as an image in memory with
// its bit depth, its alpha and its profile (an ICC profile, or one made from the colour
// numbers of an "nclx" box).

#include <magick/MagickCore.h>

#include <string>

class HeifPicture
{
public:
    // True when the open file starts like a HEIF file libheif can read.
    static bool IsHeif(int fd);
    // Decodes the primary picture of the open file. Null with the reason in error when it
    // cannot be read, or when its size passes ImageMagick's resource limits (checked before
    // decoding).
    static Image* Decode(int fd, const std::string& path, const ImageInfo* info, std::string& error);
};
