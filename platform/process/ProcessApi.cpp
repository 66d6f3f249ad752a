// Starting, watching and ending processes.
#include "platform/process/ProcessObject.h"

#include "platform/Process.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace
{
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

bool IsExecutableFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The file to run: a name with a "/" is a path (a relative one from the new current folder),
// any other is looked up on PATH as a shell would, but without running a shell.
std::optional<std::string> ResolveProgram(const std::string& program, const std::string& directory)
{
    if (program.find('/') != std::string::npos)
    {
        if (program[0] != '/' && !directory.empty())
            return directory + "/" + program;
        return program;
    }
    const char* path = std::getenv("PATH");
    const std::string search = path != nullptr && *path != 0 ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = search.find(':', start);
        std::string folder = search.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsExecutableFile(candidate))
            return candidate;
        if (end == std::string::npos)
            return std::nullopt;
        start = end + 1;
    }
}

// A Windows environment block: "name=value" strings, each ending in a zero, then an empty one.
template <class Ch> std::vector<std::string> ReadEnvironmentBlock(const Ch* block)
{
    std::vector<std::string> entries;
    while (*block != 0)
    {
        std::basic_string<Ch> entry(block);
        block += entry.size() + 1;
        if constexpr (sizeof(Ch) == 1)
            entries.push_back(std::move(entry));
        else
            entries.push_back(platform::ToUtf8(entry));
    }
    return entries;
}

std::vector<char*> PointerList(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Everything posix_spawn needs, released when the launch is over.
class SpawnSettings
{
public:
    SpawnSettings(bool inheritHandles, const std::string& directory)
    {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawnattr_init(&m_attributes);
        posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (!inheritHandles)
            posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1);
        if (!directory.empty())
            posix_spawn_file_actions_addchdir_np(&m_actions, directory.c_str());
        // The child starts with nothing blocked and every signal at its default, whatever
        // the starting thread had set up for itself.
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    ~SpawnSettings()
    {
        posix_spawnattr_destroy(&m_attributes);
        posix_spawn_file_actions_destroy(&m_actions);
    }

    // The error number of the launch, including a program that could not be executed.
    int Spawn(pid_t& pid, const std::string& file, char* const* argv, char* const* envp) const
    {
        return posix_spawn(&pid, file.c_str(), &m_actions, &m_attributes, argv, envp);
    }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
};

struct LaunchRequest
{
    std::vector<std::string> arguments;
    std::string program;
    std::string directory;
    std::optional<std::vector<std::string>> environment;
};

// Reads the caller's arguments; false with the last error set when they cannot be used.
bool PrepareLaunch(LPCWSTR applicationName, LPCWSTR commandLine, DWORD creationFlags, LPVOID environment,
                   LPCWSTR currentDirectory, LaunchRequest& request)
{
    std::vector<std::wstring> arguments;
    if (commandLine != nullptr && *commandLine != 0)
        arguments = platform::SplitCommandLine(commandLine);
    else if (applicationName != nullptr)
        arguments.emplace_back(applicationName);
    if (arguments.empty() || (creationFlags & CREATE_SUSPENDED) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    for (const std::wstring& argument : arguments)
        request.arguments.push_back(platform::ToUtf8(argument));
    request.program = applicationName != nullptr ? platform::ToUtf8(applicationName) : request.arguments[0];
    if (currentDirectory != nullptr && *currentDirectory != 0)
    {
        request.directory = platform::ToUtf8(currentDirectory);
        struct stat info
        {
        };
        if (::stat(request.directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        {
            SetLastError(ERROR_DIRECTORY);
            return false;
        }
    }
    if (environment != nullptr && (creationFlags & CREATE_UNICODE_ENVIRONMENT) != 0)
        request.environment = ReadEnvironmentBlock(static_cast<const wchar_t*>(environment));
    else if (environment != nullptr)
        request.environment = ReadEnvironmentBlock(static_cast<const char*>(environment));
    return true;
}

bool Launch(LaunchRequest& request, bool inheritHandles, pid_t& pid)
{
    const std::optional<std::string> file =
        request.program.empty() ? std::nullopt : ResolveProgram(request.program, request.directory);
    if (!file)
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    std::vector<char*> argv = PointerList(request.arguments);
    std::vector<char*> envp;
    if (request.environment)
        envp = PointerList(*request.environment);
    const SpawnSettings settings(inheritHandles, request.directory);
    const int rc = settings.Spawn(pid, *file, argv.data(), request.environment ? envp.data() : environ);
    if (rc != 0)
    {
        SetLastError(platform::ErrorFromErrno(rc));
        return false;
    }
    return true;
}

template <class Call> BOOL WithProcess(HANDLE process, Call call)
{
    platform::HandleRef<platform::ProcessObject> object(
        platform::ReferenceHandleAs<platform::ProcessObject>(process));
    if (!object)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return call(*object.get());
}
} // namespace

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                    LPSTARTUPINFOW, LPPROCESS_INFORMATION processInformation)
{
    LaunchRequest request;
    pid_t pid = 0;
    if (processInformation == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!PrepareLaunch(applicationName, commandLine, creationFlags, environment, currentDirectory, request) ||
        !Launch(request, inheritHandles != FALSE, pid))
        return FALSE;
    platform::ProcessObject* process = platform::ProcessObject::ForChild(pid);
    if (process == nullptr)
        return FALSE;
    platform::ProcessObject* thread = process->Share();
    processInformation->hProcess = platform::RegisterHandle(process);
    processInformation->hThread = platform::RegisterHandle(thread);
    processInformation->dwProcessId = static_cast<DWORD>(pid);
    processInformation->dwThreadId = static_cast<DWORD>(pid); // the main thread's id is the process id
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    if (exitCode == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (process == kCurrentProcess)
    {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    return WithProcess(process,
                       [&](platform::ProcessObject& object) { return object.GetExitCode(*exitCode); });
}

HANDLE OpenProcess(DWORD desiredAccess, BOOL, DWORD processId)
{
    if (processId == 0 || (desiredAccess & ~PROCESS_ALL_ACCESS) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Another user's process may be looked at but not signalled.
    if ((desiredAccess & PROCESS_TERMINATE) != 0 && ::kill(static_cast<pid_t>(processId), 0) != 0 &&
        errno == EPERM)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    platform::ProcessObject* object = platform::ProcessObject::ForExisting(static_cast<pid_t>(processId));
    return object == nullptr ? nullptr : platform::RegisterHandle(object);
}

BOOL TerminateProcess(HANDLE process, UINT exitCode)
{
    if (process == kCurrentProcess)
        ::_exit(static_cast<int>(exitCode));
    return WithProcess(process, [&](platform::ProcessObject& object) { return object.Terminate(exitCode); });
}

HANDLE GetCurrentProcess()
{
    return kCurrentProcess;
}
