#pragma once
// Skin material made at test time: PNG images of plain colours, real zip archives, and a
// guard that makes a zip the process's skin source for one test.

#include "platform/Kernel.h"
#include "platform/Window.h"
#include "tests/support/Waiting.h"

#include <cstdint>
#include <functional>
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

// A black PNG of (2 * corner + 1) pixels square whose border grows more opaque towards the
// opaque middle pixel, one step of `step` alpha per pixel, as a shadow image does.
std::string RampPng(int corner, int step);

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

// Delivers every queued message of this thread through the framework's pre-translation.
void Pump();
// Pumps with Pump() until done() holds; a failure after timeoutMs.
inline ::testing::AssertionResult PumpUntil(const std::function<bool()>& done,
                                            int timeoutMs = testsupport::kPumpTimeoutMs)
{
    return testsupport::PumpUntil(done, timeoutMs, Pump);
}
// Injects a press at down, a drag to up and the release there (client coordinates).
void Click(HWND hwnd, POINT down, POINT up);

// The ARGB value of one pixel of an image surface (premultiplied as stored).
std::uint32_t PixelAt(void* cairoSurface, int x, int y);
} // namespace uitest
