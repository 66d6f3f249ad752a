// Arbitrary format text through the formatter. Every conversion that would read an argument
// other than an int is escaped first (its '%' doubled), and at most eight ints are consumed,
// so the fixed argument list is never overrun; output must stay inside the buffer.
#include "platform/Text.h"
#include "platform/Utf.h"
#include "platform/text/FormatEngine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
using platform::format::FormatSpec;
using platform::format::Length;

bool TakesOneInt(const FormatSpec& spec)
{
    const bool intLength = spec.length == Length::None || spec.length == Length::Short ||
                           spec.length == Length::Char || spec.length == Length::Long;
    return intLength && !spec.widthFromArgs && !spec.precisionFromArgs && spec.width < 4096 &&
           spec.precision < 4096 && std::strchr("dixXuoc", spec.conversion) != nullptr;
}

std::wstring MakeSafe(const std::wstring& text)
{
    std::wstring safe;
    int ints = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos)
    {
        if (text[pos] != L'%')
        {
            safe.push_back(text[pos]);
            continue;
        }
        const FormatSpec spec = platform::format::ParseFormatSpec(text.c_str() + pos + 1);
        const bool plainPercent = spec.conversion == '%' && spec.consumed == 1;
        if (plainPercent || (TakesOneInt(spec) && ints < 8))
        {
            ints += plainPercent ? 0 : 1;
            safe.append(text, pos, spec.consumed + 1);
            pos += spec.consumed;
            continue;
        }
        safe += L"%%";
    }
    return safe;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text = platform::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
    const std::wstring format = MakeSafe(text);
    wchar_t buffer[65];
    buffer[64] = L'#';
    const int written = _snwprintf(buffer, 64, format.c_str(), 1, -2, 0x7fffffff, 65, 0, 42, -1, 0x4e2d);
    if (buffer[64] != L'#' || written > 63 || (written >= 0 && buffer[written] != 0))
        std::abort();
    wchar_t secure[16];
    if (swprintf_s(secure, 16, format.c_str(), 1, 2, 3, 4, 5, 6, 7, 8) < 0 && secure[0] != 0)
        std::abort();
    return 0;
}
