#include "tests/main/magick/ExifKit.h"

#include "tests/support/TestSupport.h"

void AddExifOrientation(const std::string& path, int orientation)
{
    const std::string jpeg = testsupport::ReadFile(path);
    const std::string tiff = std::string("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) +
                             char(orientation) + std::string(6, '\0');
    const std::string app1 = std::string("Exif\0\0", 6) + tiff;
    const size_t length = app1.size() + 2;
    testsupport::WriteFile(path, jpeg.substr(0, 2) + "\xff\xe1" + char(length >> 8) + char(length & 0xff) +
                                     app1 + jpeg.substr(2));
}
