// The licence reader takes RTF from the skin: any bytes must give some text, never a crash,
// whatever the nesting, escapes or parameters.

#include "ui/RtfReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = CRtfReader::ToText(reinterpret_cast<const char*>(data), size);
    // Never more characters out than bytes in.
    if (text.size() > size)
        __builtin_trap();
    return 0;
}
