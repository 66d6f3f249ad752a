// The login page's result as a page could send it: any text, never a crash or an exception.
#include "main/LoginResult.h"

#include "platform/Utf.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring text = platform::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    LoginFields fields;
    if (ParseLoginResult(text, fields) && fields.hasAccount && fields.account.size() > size * 4)
        __builtin_trap(); // an account longer than the whole input cannot have come from it
    return 0;
}
