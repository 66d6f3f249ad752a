// Version texts come from the version service: any bytes. Comparing never reads out of bounds or
// overflows, a text equals itself and the order is antisymmetric.
#include "common/base/StringHelper.h"
#include "common/install/VersionText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t split = text.find('|');
    const std::wstring a = AnsiToWide(text.substr(0, split));
    const std::wstring b = split == std::string::npos ? std::wstring() : AnsiToWide(text.substr(split + 1));
    if (CompareVersion(a, a) != 0 || CompareVersion(b, b) != 0 ||
        CompareVersion(a, b) != -CompareVersion(b, a))
        std::abort();
    return 0;
}
