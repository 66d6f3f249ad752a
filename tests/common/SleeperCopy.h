#pragma once
// A copy of the sleeper helper under a name and folder of the test's choosing, started as a
// real process, for tests of what finds or stops programs by name and folder.

#include "common/base/ProcessHelper.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace testsupport
{
// Starts folder/name (copied from common_sleeper, sleeping 30 s) and returns its process id
// once it runs from that file; 0 when it did not start.
inline DWORD StartSleeperCopy(const std::string& folder, const std::string& name)
{
    const std::string program = folder + "/" + name;
    std::filesystem::copy_file(TestBinaryDir() + "/common_sleeper", program,
                               std::filesystem::copy_options::overwrite_existing);
    std::wstring cmdLine = L"\"" + Wide(program) + L"\" 30000";
    if (!StartProcess(nullptr, cmdLine.data(), true))
        return 0;
    for (int i = 0; i < 200; ++i)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        DWORD found = 0;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            if (platform::GetProcessImagePath(entry.th32ProcessID) == Wide(program))
                found = entry.th32ProcessID;
        CloseHandle(snapshot);
        if (found != 0)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}
} // namespace testsupport
