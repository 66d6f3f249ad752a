#include "common/base/ProcessHelper.h"

#include "platform/UniqueHandle.h"

#include <cwchar>

bool FindProcessByName(LPCWSTR exeName, DWORD* pid)
{
    const platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !found;
         more = Process32NextW(snapshot.get(), &entry))
    {
        if (std::wcscmp(entry.szExeFile, exeName) != 0)
            continue;
        if (pid != nullptr)
            *pid = entry.th32ProcessID;
        found = true;
    }
    return found;
}

bool StartProcess(LPCWSTR appName, LPWSTR cmdLine, bool hidden)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    const DWORD flags = hidden ? (CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS) : NORMAL_PRIORITY_CLASS;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(appName, cmdLine, nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &info))
    {
        wchar_t message[128] = {};
        _snwprintf(message, 128, L"CreateProcess failed. Error: %d", static_cast<int>(GetLastError()));
        OutputDebugStringW(message);
        return false;
    }
    // The new process is not waited for; its handles are not needed.
    const platform::UniqueHandle process(info.hProcess);
    const platform::UniqueHandle thread(info.hThread);
    return true;
}
