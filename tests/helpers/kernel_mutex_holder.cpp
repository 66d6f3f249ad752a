// Test helper: takes the named mutex given as argument, prints "held" (or "exists" when
// another process has it), then keeps it until its standard input ends.
#include "platform/Kernel.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, platform::FromUtf8(argv[1]).c_str());
    if (mutex == nullptr)
    {
        std::printf("failed %u\n", GetLastError());
        return 1;
    }
    std::printf("%s\n", GetLastError() == ERROR_ALREADY_EXISTS ? "exists" : "held");
    std::fflush(stdout);
    while (std::getchar() != EOF)
    {
    }
    return 0;
}
