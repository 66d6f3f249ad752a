#include "common/install/ProductProcesses.h"

#include "platform/UniqueHandle.h"
#include "platform/Utf.h"

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// The folder as the kernel reports a program path: absolute, links resolved, no trailing "/".
fs::path Resolved(const std::wstring& folder)
{
    if (folder.empty())
        return {};
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::path(platform::ToUtf8(folder)), error);
    if (error)
        return {};
    if (!path.has_filename() && path.has_parent_path() && path != path.root_path())
        path = path.parent_path();
    return path;
}

std::vector<DWORD> FindByName(const std::wstring& imageName)
{
    std::vector<DWORD> ids;
    const platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
    {
        if (std::wcscmp(entry.szExeFile, imageName.c_str()) == 0 &&
            entry.th32ProcessID != GetCurrentProcessId())
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

// Opens the process and checks its program file only afterwards, so that a process id reused
// between the listing and the opening is never ended by mistake.
platform::UniqueHandle OpenIfOurs(DWORD processId, const std::vector<std::wstring>& folders)
{
    platform::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (process && !IsProgramIn(platform::GetProcessImagePath(processId), folders))
        process.reset();
    return process;
}
} // namespace

bool IsProgramIn(const std::wstring& executablePath, const std::vector<std::wstring>& folders)
{
    if (executablePath.empty())
        return false;
    const fs::path programFolder = Resolved(executablePath).parent_path();
    for (const std::wstring& folder : folders)
    {
        const fs::path resolved = Resolved(folder);
        if (!resolved.empty() && resolved == programFolder)
            return true;
    }
    return false;
}

StopProgramsResult StopProgramsIn(const std::wstring& imageName, const std::vector<std::wstring>& folders,
                                  DWORD waitMs)
{
    StopProgramsResult result;
    std::vector<platform::UniqueHandle> ending;
    for (DWORD processId : FindByName(imageName))
    {
        platform::UniqueHandle process = OpenIfOurs(processId, folders);
        if (!process)
            continue;
        if (TerminateProcess(process.get(), 0))
        {
            ending.push_back(std::move(process));
            result.ids.push_back(processId);
            ++result.stopped;
        }
        else
            result.allEnded = false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (const platform::UniqueHandle& process : ending)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (WaitForSingleObject(process.get(), static_cast<DWORD>(std::max<long long>(0, left.count()))) !=
            WAIT_OBJECT_0)
            result.allEnded = false;
    }
    return result;
}
