#include "main/CommandLine.h"

#include "platform/Process.h"

#include <cwchar>

bool ParseCommandLine(LPCWSTR commandLine)
{
    bool checkUpdate = true;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(commandLine, &count);
    if (args == nullptr)
        return checkUpdate;
    if (count == 3 && std::wcscmp(args[1], L"-run") == 0 && std::wcscmp(args[2], L"update") == 0)
        checkUpdate = false;
    LocalFree(reinterpret_cast<HLOCAL>(args));
    return checkUpdate;
}
