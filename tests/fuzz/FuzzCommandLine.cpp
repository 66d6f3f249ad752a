// Splitting arbitrary text never reads or writes out of bounds, and the arguments it gives,
// quoted back into a command line, split again into the same arguments.
#include "platform/Process.h"
#include "platform/Utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring text = platform::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(text.c_str(), &count);
    if (argv == nullptr || count < 1 || argv[count] != nullptr)
        std::abort();
    std::vector<std::wstring> arguments(argv, argv + count);
    LocalFree(reinterpret_cast<HLOCAL>(argv));
    // The program name cannot carry a double quote, so only the others are compared for it.
    if (arguments[0].find(L'"') != std::wstring::npos)
        arguments[0].clear();
    if (platform::SplitCommandLine(platform::BuildCommandLine(arguments)) != arguments)
        std::abort();
    return 0;
}
