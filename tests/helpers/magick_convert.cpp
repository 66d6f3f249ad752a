// Child process for the leftover tests: converts one image with the program's driver (policy
// folder, input, output), so that a test can kill it in the middle of the command.
#include "main/MagickDriver.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    MagickStartup(argv[1]);
    std::string error;
    const bool ok = ConvertImageFile(argv[2], argv[3], error);
    if (!ok)
        std::fprintf(stderr, "%s\n", error.c_str());
    MagickShutdown();
    return ok ? 0 : 1;
}
