#include "platform/ProductName.h"

#include <cctype>
#include <cstdlib>

#ifndef PLATFORM_PRODUCT_NAME
#error "PLATFORM_PRODUCT_NAME names the folders and variables of the platform; the build sets it"
#endif

namespace platform
{
const std::string& ProductName()
{
    static const std::string name = PLATFORM_PRODUCT_NAME;
    return name;
}

std::string ProductVariable(std::string_view what)
{
    std::string variable;
    for (const char c : ProductName())
        variable.push_back(c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    variable += '_';
    variable += what;
    return variable;
}

std::string ProductSetting(std::string_view what)
{
    const char* value = std::getenv(ProductVariable(what).c_str());
    return value != nullptr ? value : std::string();
}
} // namespace platform
