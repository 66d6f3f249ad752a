// Child process for the process-lookup tests: sleeps for the given milliseconds so that a
// test can find it by its image name.
#include "platform/Win32.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    const long ms = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 5000;
    Sleep(static_cast<DWORD>(ms));
    return 0;
}
