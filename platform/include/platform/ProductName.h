#pragma once
// The name the platform files its per-user folders, environment variables and shared files
// under. The platform names no product itself: the build gives the name once
// (PLATFORM_PRODUCT_NAME in the top CMakeLists.txt), so every program, helper and test of the
// build meets the same folders and settings without naming itself at start-up.

#include <string>
#include <string_view>

namespace platform
{
// Lower case, for folder and file names ("/tmp/<name>-<uid>").
const std::string& ProductName();
// The environment variable <NAME>_<what>, e.g. ProductVariable("STATE_DIR").
std::string ProductVariable(std::string_view what);
// The value of ProductVariable(what); empty when it is unset.
std::string ProductSetting(std::string_view what);
} // namespace platform
