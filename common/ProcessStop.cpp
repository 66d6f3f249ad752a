#include "ProcessStop.h"

#include "platform/Win32.h"

#include <algorithm>
#include <chrono>
#include <cwchar>

namespace
{
std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.rfind(L'/');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring WithoutTrailingSlash(std::wstring folder)
{
    while (folder.size() > 1 && folder.back() == L'/')
        folder.pop_back();
    return folder;
}

std::vector<DWORD> FindProductProcesses(const wchar_t* exeName, const std::vector<std::wstring>& folders)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    {
        if (std::wcscmp(entry.szExeFile, exeName) != 0 || entry.th32ProcessID == GetCurrentProcessId())
            continue;
        const std::wstring folder = FolderOf(platform::GetProcessImagePath(entry.th32ProcessID));
        const bool ours = std::any_of(folders.begin(), folders.end(), [&](const std::wstring& wanted) {
            return !wanted.empty() && WithoutTrailingSlash(wanted) == folder;
        });
        if (ours)
            found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}
} // namespace

bool StopProductProcesses(const wchar_t* exeName, const std::vector<std::wstring>& folders, DWORD waitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    bool allGone = true;
    for (const DWORD pid : FindProductProcesses(exeName, folders))
    {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (process == nullptr)
            continue; // ended meanwhile
        TerminateProcess(process, 0);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (WaitForSingleObject(process, static_cast<DWORD>(std::max<long long>(left.count(), 0))) !=
            WAIT_OBJECT_0)
            allGone = false;
        CloseHandle(process);
    }
    return allGone;
}
