#pragma once
// Processes: starting programs, waiting for them and ending them, this process's command
// line and file name, and the snapshot of running processes.
//
// CreateProcessW splits the command line by the Windows quoting rules and starts the program
// directly (posix_spawn, never a shell). Children are always reaped, also when the caller
// closes their handles without waiting. Without bInheritHandles, no descriptor beyond
// stdin/stdout/stderr reaches the child (a lock file of ours must not outlive us in it).

#include "platform/Kernel.h" // STILL_ACTIVE, CREATE_SUSPENDED, GetCurrentProcessId
#include "platform/KernelObject.h"
#include "platform/WinTypes.h"
#include "platform/Window.h" // the SW_ show states of STARTUPINFOW

#include <string>
#include <vector>

constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;

constexpr DWORD DEBUG_PROCESS = 0x00000001;
constexpr DWORD DETACHED_PROCESS = 0x00000008;
constexpr DWORD CREATE_NEW_CONSOLE = 0x00000010;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
constexpr DWORD CREATE_UNICODE_ENVIRONMENT = 0x00000400;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

constexpr DWORD PROCESS_TERMINATE = 0x0001;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD PROCESS_ALL_ACCESS = 0x001FFFFF;

constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;
constexpr DWORD ERROR_BAD_LENGTH = 24;

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

struct STARTUPINFOW
{
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOW = STARTUPINFOW*;
using STARTUPINFO = STARTUPINFOW;

struct PROCESS_INFORMATION
{
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

struct PROCESSENTRY32W
{
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[MAX_PATH];
};
using LPPROCESSENTRY32W = PROCESSENTRY32W*;
using PROCESSENTRY32 = PROCESSENTRY32W;

// The show state and window flags are accepted; "hidden" only means no terminal here. env is
// a block of "name=value" strings ending in an empty one (wide with
// CREATE_UNICODE_ENVIRONMENT, else UTF-8); null inherits ours. A program name with a "/" is a
// path (relative ones are taken from curDir when given), any other is looked up on PATH.
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);
#define CreateProcess CreateProcessW

// STILL_ACTIVE while running. A child killed by a signal reports the code given to
// TerminateProcess, or 128 + the signal number when something else killed it.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// A waitable handle for any process of ours (pidfd), for the access rights listed above.
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
// SIGKILL; the process may still be running when this returns, so wait on the handle.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// The pseudo handle of this process, (HANDLE)-1 as on Windows; not to be closed.
HANDLE GetCurrentProcess();

// This process's arguments, each quoted by the Windows rules where needed, so that
// CommandLineToArgvW gives them back unchanged.
LPWSTR GetCommandLineW();
#define GetCommandLine GetCommandLineW
// One LocalAlloc block holding the pointers and the texts; free it with LocalFree.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* numArgs);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Returns null on success, as Windows does.
HLOCAL LocalFree(HLOCAL memory);

// Lists the processes whose program file we can read (ours); the image name is the base name
// of /proc/<pid>/exe with a " (deleted)" suffix removed, so a program replaced by an update is
// still found. Kernel threads and other users' processes are left out.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);
#define Process32First Process32FirstW
#define Process32Next Process32NextW

// Only the program itself (module null). A name longer than the buffer is cut to size - 1
// characters plus the zero; the result is then size with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
#define GetModuleFileName GetModuleFileNameW

namespace platform
{
DWORD GetParentProcessId();
// The full program path of a process ("(deleted)" suffix removed); empty when unknown.
std::wstring GetProcessImagePath(DWORD processId);

// Quotes one argument so that CommandLineToArgvW reads it back unchanged (the program name
// follows the first-argument rule: it is quoted but cannot hold a double quote).
std::wstring QuoteArgument(const std::wstring& argument);
std::wstring QuoteProgramName(const std::wstring& program);
// The program name and the arguments joined into one command line.
std::wstring BuildCommandLine(const std::vector<std::wstring>& arguments);
// CommandLineToArgvW as a vector (an empty command line gives no arguments here).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);
} // namespace platform
