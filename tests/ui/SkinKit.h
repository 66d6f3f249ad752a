#pragma once
// Skin material made at test time: PNG images of plain colours, real zip archives, and a
// guard that makes a zip the process's skin source for one test.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace uitest
{
// A PNG of w x h filled with argb (non-premultiplied 0xAARRGGBB).
std::string SolidPng(int w, int h, std::uint32_t argb);
// A PNG whose border band of `corner` pixels is `edge` and whose inside is `centre`.
std::string FramedPng(int w, int h, int corner, std::uint32_t edge, std::uint32_t centre);

// A zip archive (deflated entries) holding the files in order.
std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& files);

// Sets the zip as the skin source; the previous source is cleared again at the end.
class ScopedSkinZip
{
public:
    ScopedSkinZip(std::initializer_list<std::pair<std::string, std::string>> files);
    ~ScopedSkinZip();
    ScopedSkinZip(const ScopedSkinZip&) = delete;
    ScopedSkinZip& operator=(const ScopedSkinZip&) = delete;
    bool ok() const { return m_ok; }

private:
    bool m_ok = false;
};

// The ARGB value of one pixel of an image surface (premultiplied as stored).
std::uint32_t PixelAt(void* cairoSurface, int x, int y);
} // namespace uitest
