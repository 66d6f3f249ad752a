// Base64 decoding never reads past its length (the input is copied into a buffer of exactly
// that size, without a terminator, so ASan catches an overread), and what it decodes from an
// encoding is what was encoded.
#include "common/http/Base64.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const auto exact = std::make_unique<char[]>(size == 0 ? 1 : size);
    std::copy(data, data + size, exact.get());
    const std::string decoded = Base64Decode(exact.get(), static_cast<int>(size));
    if (decoded.size() > size)
        std::abort();

    const std::string encoded = Base64Encode(data, static_cast<int>(size));
    if (encoded.size() != (size + 2) / 3 * 4)
        std::abort();
    if (Base64Decode(encoded.data(), static_cast<int>(encoded.size())) != std::string(data, data + size))
        std::abort();
    return 0;
}
