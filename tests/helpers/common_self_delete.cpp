// Child process for the self-delete test: starts the removal of a folder through the script
// (or, given a program file, of that file and then of the folder and the further folders when
// they are empty), then stays alive until the file named by its second argument exists.
// Usage: common_self_delete <script name> <release file> <folder> [program file [folder...]]
#include "common/base/StringHelper.h"
#include "common/install/SelfDeleteScript.h"

#include <chrono>
#include <thread>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    std::vector<std::wstring> folders{AnsiToWide(argv[3])};
    for (int i = 5; i < argc; ++i)
        folders.push_back(AnsiToWide(argv[i]));
    const bool started = argc >= 5 ? WriteSelfDeleteScript(AnsiToWide(argv[1]), AnsiToWide(argv[4]), folders)
                                   : WriteSelfDeleteBatch(AnsiToWide(argv[1]), AnsiToWide(argv[3]));
    if (!started)
        return 1;
    while (::access(argv[2], F_OK) != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 0;
}
