#include "common/install/SelfDeleteScript.h"

#include "common/base/StringHelper.h"

#include "platform/UniqueFd.h"
#include "platform/UniqueHandle.h"
#include "platform/Win32.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace
{
// $1: the process to wait for. A zombie counts as ended: its parent may never reap it. A state
// that could not be read (a busy machine may refuse the reader a process) is no end: only the
// process's folder going is. About 30 s at most, then the removal goes on all the same (a
// running program's files may be unlinked on Linux).
constexpr const char kWaitForProcess[] =
    "#!/bin/sh\n"
    "n=0\n"
    "while [ \"$n\" -lt 300 ] && [ -d \"/proc/$1\" ]; do\n"
    "    state=$(sed -n 's/.*) \\([A-Za-z]\\).*/\\1/p' \"/proc/$1/stat\" 2>/dev/null)\n"
    "    if [ \"$state\" = Z ]; then break; fi\n"
    "    n=$((n + 1))\n"
    "    sleep 0.1\n"
    "done\n";
// $2: the folder to remove with everything in it.
constexpr const char kRemoveFolder[] = "rm -rf -- \"$2\"\n";
// $2: the program file; then its folder and the folders above it, each removed only when
// nothing else is left in it.
constexpr const char kRemoveProgram[] = "rm -f -- \"$2\"\n"
                                        "shift 2\n"
                                        "for folder; do rmdir -- \"$folder\" 2>/dev/null; done\n";
constexpr const char kRemoveScript[] = "rm -f -- \"$0\"\n";

std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// A fresh file: whatever lies under the name (also a link someone planted) is removed first and
// never written through.
bool WriteScriptFile(const std::string& path, const std::string& text)
{
    ::unlink(path.c_str());
    platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (!fd)
        return false;
    const auto size = static_cast<ssize_t>(text.size());
    const bool written = ::write(fd.get(), text.data(), text.size()) == size;
    fd.reset();
    if (!written)
        ::unlink(path.c_str());
    return written;
}

// Writes the script and starts it detached with this process's id and arguments.
bool StartScript(const std::wstring& scriptName, const std::string& text,
                 const std::vector<std::wstring>& arguments)
{
    const std::wstring temp = TempFolder();
    if (temp.empty() || scriptName.empty() || scriptName.find(L'/') != std::wstring::npos)
        return false;
    const std::wstring script = temp + scriptName;
    if (!WriteScriptFile(WideToAnsi(script), text))
        return false;
    SetCurrentDirectoryW(temp.c_str());
    const std::wstring shell = L"/bin/sh";
    std::vector<std::wstring> words{shell, script, std::to_wstring(GetCurrentProcessId())};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::wstring command = platform::BuildCommandLine(words);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(shell.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
    {
        ::unlink(WideToAnsi(script).c_str());
        return false;
    }
    const platform::UniqueHandle process(info.hProcess);
    const platform::UniqueHandle thread(info.hThread);
    return true;
}
} // namespace

bool WriteSelfDeleteBatch(const std::wstring& scriptName, const std::wstring& folder)
{
    return !folder.empty() &&
           StartScript(scriptName, std::string(kWaitForProcess) + kRemoveFolder + kRemoveScript, {folder});
}

bool WriteSelfDeleteScript(const std::wstring& scriptName, const std::wstring& program,
                           const std::vector<std::wstring>& folders)
{
    std::vector<std::wstring> arguments{program};
    arguments.insert(arguments.end(), folders.begin(), folders.end());
    return !program.empty() &&
           StartScript(scriptName, std::string(kWaitForProcess) + kRemoveProgram + kRemoveScript, arguments);
}
