// UTF-8 decoding never reads past its input, and what it decodes encodes back unchanged when
// the input was valid.
#include "platform/Utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring wide = platform::FromUtf8(bytes);
    const std::string again = platform::ToUtf8(wide);
    if (platform::IsValidUtf8(bytes) && again != bytes)
        std::abort();
    if (!platform::IsValidUtf8(again))
        std::abort();
    return 0;
}
