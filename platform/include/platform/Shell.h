#pragma once
// Shell services: opening folders, files and web addresses with the desktop's default programs,
// starting programs, the special folders, item id lists, and libraries loaded by name.
//
// "open" of a folder, a document or an http(s) address starts the desktop's opener program
// (xdg-open) with the target as one argument of an argument vector, never through a shell;
// "open" of an executable file starts it with the parameters split by the Windows quoting rules.
// Both run detached: nothing waits for them and they are reaped when they end.

#include "platform/Window.h"

#include <string>

// ---- ShellExecuteW ----------------------------------------------------------------------------

// Failure results (a result above 32 is success).
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_SHARE = 26;
constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
constexpr int SE_ERR_NOASSOC = 31;
constexpr int SE_ERR_DLLNOTFOUND = 32;

constexpr DWORD ERROR_NO_ASSOCIATION = 1155;

// Returns a value above 32 once the program was started. On failure a SE_ERR_ value with the
// last error set: a target that is neither an existing path nor an http(s) address gives
// SE_ERR_FNF / ERROR_FILE_NOT_FOUND; another scheme (file:, javascript:, ...) or no target
// SE_ERR_NOASSOC / ERROR_INVALID_PARAMETER; a verb other than "open" / "explore" (or null)
// SE_ERR_NOASSOC / ERROR_NO_ASSOCIATION; no opener program installed SE_ERR_NOASSOC /
// ERROR_NO_ASSOCIATION. A relative path is taken from directory, else the current folder.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCmd);
#define ShellExecute ShellExecuteW

// ---- Special folders --------------------------------------------------------------------------

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PROGRAMS = 0x0002;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_STARTMENU = 0x000B;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_PROGRAM_FILESX86 = 0x002A;
constexpr int CSIDL_COMMON_DOCUMENTS = 0x002E;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;
constexpr DWORD SHGFP_TYPE_DEFAULT = 1;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

// Writes the folder (at most MAX_PATH characters with the zero) into path, a buffer of
// MAX_PATH characters. With create the folder is made (with its parents) when missing.
// FALSE for an unknown csidl, a folder that cannot be made, or one too long for the buffer
// (the buffer then holds an empty string).
BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR path, int csidl, BOOL create);
// The same with CSIDL_FLAG_CREATE in csidl for create; S_OK, E_INVALIDARG for an unknown
// csidl, E_FAIL otherwise.
HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE token, DWORD flags, LPWSTR path);
#define SHGetSpecialFolderPath SHGetSpecialFolderPathW
#define SHGetFolderPath SHGetFolderPathW

// ---- Item id lists ----------------------------------------------------------------------------

// An item id list names one file-system path here; it is one allocation of CoTaskMemAlloc.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

LPVOID CoTaskMemAlloc(SIZE_T bytes);
void CoTaskMemFree(LPVOID memory);
void ILFree(LPITEMIDLIST pidl);
// The list of a special folder (created when CSIDL_FLAG_CREATE is in csidl).
HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* pidl);
// Copies the list's path into path (a buffer of MAX_PATH characters). FALSE (path empty) when
// pidl is not a list of ours or the path does not fit: a path is never cut.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path);
#define SHGetPathFromIDList SHGetPathFromIDListW

// ---- Libraries --------------------------------------------------------------------------------

// The generic function pointer, cast by the caller to the function's real type (GCC accepts
// that cast from void(*)() without a warning).
using FARPROC = void (*)();

// dlopen of the name as given (a Windows name such as "user32.dll" does not exist here, so
// it fails with ERROR_MOD_NOT_FOUND and the caller skips what it wanted from it).
HMODULE LoadLibraryW(LPCWSTR fileName);
HMODULE LoadLibraryA(LPCSTR fileName);
// The handle of a library already loaded (without adding a reference); null: the program.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
HMODULE GetModuleHandleA(LPCSTR moduleName);
// null with ERROR_PROC_NOT_FOUND when the library has no such symbol.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
#define LoadLibrary LoadLibraryW
#define GetModuleHandle GetModuleHandleW

namespace platform
{
// Opens a folder, a file or an http(s) address with the desktop's default program, as
// ShellExecuteW "open" does for them (an executable is opened, not run). FALSE with the last
// error of ShellExecuteW on failure.
BOOL OpenWithDefaultApplication(const std::wstring& target);
// The opener program: empty (the default) uses $PICTAVO_SHELL_OPENER when set, else xdg-open
// found on PATH at the time of the call. Tests point it at a script of theirs.
void SetShellOpener(const std::wstring& program);
} // namespace platform
