// ShellExecuteW and the default-program opener: targets are classified first, then started
// detached with an argument vector (CreateProcessW never goes through a shell).
#include "platform/Process.h"
#include "platform/ProductName.h"
#include "platform/Shell.h"
#include "platform/Utf.h"
#include "platform/WinError.h"
#include "platform/shell/ProgramSearch.h"
#include "platform/shell/ShellTarget.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <mutex>

using platform::ShellTarget;

namespace
{
constexpr INT_PTR kStarted = 42;
constexpr int kBadFormat = 11; // ERROR_BAD_FORMAT, what Windows answers for a file it cannot run

std::mutex g_openerLock;
std::wstring g_opener;

HINSTANCE Result(INT_PTR value)
{
    return reinterpret_cast<HINSTANCE>(value);
}

HINSTANCE Fail(int result, DWORD error)
{
    SetLastError(error);
    return Result(result);
}

std::wstring OpenerProgram()
{
    {
        std::lock_guard lock(g_openerLock);
        if (!g_opener.empty())
            return g_opener;
    }
    const std::string configured = platform::ProductSetting("SHELL_OPENER");
    const std::string name = !configured.empty() ? configured : "xdg-open";
    return platform::FromUtf8(platform::ProgramSearch::Find(name));
}

// The small result Windows gives for the error CreateProcessW left.
int ResultOfSpawnError(DWORD error)
{
    if (error == ERROR_BAD_EXE_FORMAT)
        return kBadFormat;
    return error > 0 && error <= 32 ? static_cast<int>(error) : SE_ERR_ACCESSDENIED;
}

HINSTANCE StartDetached(const std::wstring& program, std::wstring commandLine, const std::wstring& directory)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, directory.empty() ? nullptr : directory.c_str(), &startup, &process))
    {
        const DWORD error = GetLastError();
        return Fail(ResultOfSpawnError(error), error);
    }
    // The process area reaps the child when it ends; nothing here waits for it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SetLastError(ERROR_SUCCESS);
    return Result(kStarted);
}

HINSTANCE StartOpener(const std::wstring& target)
{
    const std::wstring opener = OpenerProgram();
    if (opener.empty())
        return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    return StartDetached(opener, platform::BuildCommandLine({opener, target}), {});
}

HINSTANCE StartProgram(const std::wstring& program, const std::wstring& parameters,
                       const std::wstring& directory)
{
    std::wstring commandLine = platform::QuoteProgramName(program);
    if (!parameters.empty())
        commandLine += L" " + parameters;
    return StartDetached(program, std::move(commandLine), directory);
}

// An unusable target fails here; the others are started by the caller's own rule.
HINSTANCE Refuse(const ShellTarget& target)
{
    if (target.GetKind() == ShellTarget::Kind::Missing)
        return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    return Fail(SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER);
}

bool IsUsable(const ShellTarget& target)
{
    return target.GetKind() != ShellTarget::Kind::Missing && target.GetKind() != ShellTarget::Kind::Refused;
}

bool IsOpenVerb(LPCWSTR operation)
{
    if (operation == nullptr || *operation == L'\0')
        return true;
    std::wstring verb(operation);
    std::transform(verb.begin(), verb.end(), verb.begin(), [](wchar_t c) { return std::towlower(c); });
    return verb == L"open" || verb == L"explore";
}

std::wstring TextOf(LPCWSTR text)
{
    return text != nullptr ? std::wstring(text) : std::wstring();
}
} // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT)
{
    if (!IsOpenVerb(operation))
        return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    const std::wstring folder = TextOf(directory);
    const ShellTarget target = ShellTarget::Classify(TextOf(file), folder);
    if (!IsUsable(target))
        return Refuse(target);
    if (target.GetKind() == ShellTarget::Kind::Program)
        return StartProgram(target.Value(), TextOf(parameters), folder);
    return StartOpener(target.Value());
}

namespace platform
{
BOOL OpenWithDefaultApplication(const std::wstring& target)
{
    const ShellTarget classified = ShellTarget::Classify(target, {});
    const HINSTANCE result = IsUsable(classified) ? StartOpener(classified.Value()) : Refuse(classified);
    return reinterpret_cast<INT_PTR>(result) > 32 ? TRUE : FALSE;
}

void SetShellOpener(const std::wstring& program)
{
    std::lock_guard lock(g_openerLock);
    g_opener = program;
}
} // namespace platform
