// The version service's reply is outside input: any bytes must leave the parser with a status
// and without a crash, a leak or undefined behaviour.
#include "common/http/HttpMgr.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string body(reinterpret_cast<const char*>(data), size);
    std::wstring version;
    std::wstring packUrl;
    CHttpMgr::ParseVersionReply(body, &version, &packUrl);
    return 0;
}
