#pragma once
// The registry, kept as a per-user store of text files: one file per root hive in
// $<PRODUCT>_STATE_DIR/registry/ (else $XDG_STATE_HOME/<product>/registry, else
// ~/.local/state/<product>/registry; ProductName.h gives the name), e.g. HKEY_LOCAL_MACHINE.reg. Every call
// reads the hive afresh, so writes of other processes are seen at once; every change re-reads, edits and
// replaces the hive atomically under a lock on it, so concurrent writers never lose each
// other's values. A damaged line of a hive is skipped (the rest stays usable), reported to
// the warning sink, and the damaged file is kept as <hive>.reg.damaged when it is rewritten.
//
// Names of keys and values are matched without regard to case and keep the case they were
// created with. Subkeys are enumerated in case-insensitive alphabetical order.
//
// Sizes of string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are Windows sizes: two bytes
// per character. A string written with cbData bytes stores cbData / 2 wchar_t read from the
// data, so "text" of n characters is written with (n + 1) * 2 bytes, terminator included.
// A query's *lpcbData is the buffer's capacity in the same units: at most *lpcbData / 2
// wchar_t are written, terminator included. A caller's `wchar_t buf[N]` must therefore be
// passed as N * 2, not as sizeof(buf). When the data does not fit, the buffer is left
// untouched (a zero-filled buffer stays empty, never half-filled and unterminated) and the
// call answers ERROR_MORE_DATA with the needed size. Other types are raw bytes.

#include "platform/WinError.h"
#include "platform/WinTypes.h"

#include <functional>
#include <string>

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003));

using REGSAM = DWORD;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100; // accepted and ignored: there is one view
constexpr REGSAM KEY_WOW64_32KEY = 0x0200; // accepted and ignored
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1; // kept like a non-volatile key

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Longest key name component and value name, in characters.
constexpr DWORD REG_MAX_KEY_NAME = 255;
constexpr DWORD REG_MAX_VALUE_NAME = 16383;

// Every function returns its error code (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND,
// ERROR_MORE_DATA, ERROR_INVALID_HANDLE, ERROR_ACCESS_DENIED, ERROR_NO_MORE_ITEMS,
// ERROR_KEY_DELETED, ERROR_INVALID_PARAMETER, or the error of a failed file operation).
// A handle whose key was deleted answers ERROR_KEY_DELETED and never brings it back.
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
LONG RegCloseKey(HKEY hKey);
LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// cchName counts characters, terminator included.
LONG RegEnumKeyW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, DWORD cchName);
// *lpcchName: the buffer's characters in, the name's characters (no terminator) out.
// The class is always empty and the time zero.
LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPWSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime);
// Values in the order they were first written; sizes as for RegQueryValueExW.
LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED when it has some, as Windows).
LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
LONG RegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, DWORD Reserved);
// Counts and longest lengths (names in characters without terminator, data in bytes).
LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      LPFILETIME lpftLastWriteTime);

namespace platform
{
// The folder that holds the hive files (no trailing "/"), read from the environment each time.
std::string RegistryStoreFolder();
// Receives one line per problem found in a hive file (a skipped line, a file that cannot be
// read). By default problems go to stderr when <PRODUCT>_DEBUG=1. An empty sink restores that.
using RegistryWarningSink = std::function<void(const std::string& message)>;
void SetRegistryWarningSink(RegistryWarningSink sink);
} // namespace platform
