#include "SelfDeleteScript.h"

#include "StringHelper.h"

#include "platform/Win32.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// $1: the process to wait for, $2: the folder to remove. A zombie counts as ended: its parent
// may never reap it. About 30 s at most, then the folder goes all the same (a running program's
// files may be unlinked on Linux).
constexpr const char kScript[] =
    "#!/bin/sh\n"
    "n=0\n"
    "while [ \"$n\" -lt 300 ]; do\n"
    "    state=$(sed -n 's/.*) \\([A-Za-z]\\).*/\\1/p' \"/proc/$1/stat\" 2>/dev/null)\n"
    "    if [ -z \"$state\" ] || [ \"$state\" = Z ]; then break; fi\n"
    "    n=$((n + 1))\n"
    "    sleep 0.1\n"
    "done\n"
    "rm -rf -- \"$2\"\n"
    "rm -f -- \"$0\"\n";

std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// A fresh file: whatever lies under the name (also a link someone planted) is removed first and
// never written through.
bool WriteScriptFile(const std::string& path)
{
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    if (fd < 0)
        return false;
    const ssize_t size = sizeof kScript - 1;
    const bool written = ::write(fd, kScript, size) == size;
    ::close(fd);
    if (!written)
        ::unlink(path.c_str());
    return written;
}
} // namespace

bool WriteSelfDeleteBatch(const std::wstring& scriptName, const std::wstring& folder)
{
    const std::wstring temp = TempFolder();
    if (temp.empty() || scriptName.empty() || scriptName.find(L'/') != std::wstring::npos || folder.empty())
        return false;
    const std::wstring script = temp + scriptName;
    if (!WriteScriptFile(WideToAnsi(script)))
        return false;
    SetCurrentDirectoryW(temp.c_str());
    const std::wstring shell = L"/bin/sh";
    std::wstring command =
        platform::BuildCommandLine({shell, script, std::to_wstring(GetCurrentProcessId()), folder});
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(shell.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
    {
        ::unlink(WideToAnsi(script).c_str());
        return false;
    }
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return true;
}
