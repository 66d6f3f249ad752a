#pragma once
// Files, folders and searches with the Win32 and C runtime signatures the system calls.
// Paths are POSIX paths (UTF-32 wide strings, converted to UTF-8 at the kernel boundary).
// Linux has no share modes: FILE_SHARE_* are accepted and ignored.
//
// Symbolic links: searches (_wfindfirst, FindFirstFileW) describe entries with lstat, so a
// link is never reported as a folder there (_A_SUBDIR / FILE_ATTRIBUTE_DIRECTORY stay clear)
// and code that deletes a tree from a search never follows a link out of the tree.
// GetFileAttributesW reports a link with FILE_ATTRIBUTE_REPARSE_POINT (plus
// FILE_ATTRIBUTE_DIRECTORY when it points at a folder, as Windows does for folder links);
// PathIsDirectoryW follows links.

#include "platform/KernelObject.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <cstdio>

// ---- handles ---------------------------------------------------------------------------

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_EXECUTE = 0x20000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000;
constexpr DWORD FILE_FLAG_RANDOM_ACCESS = 0x10000000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

using PLARGE_INTEGER = LARGE_INTEGER*;

struct OVERLAPPED
{
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

// The handle is a KernelObject (close it with CloseHandle); the descriptor is O_CLOEXEC.
// A directory opens only with FILE_FLAG_BACKUP_SEMANTICS. FILE_ATTRIBUTE_READONLY on a new
// file creates it without write permission. After CREATE_ALWAYS or OPEN_ALWAYS the last error
// is ERROR_ALREADY_EXISTS when the file was there, else ERROR_SUCCESS.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Reads until the count or the end of the file; TRUE with 0 bytes at the end. With an
// OVERLAPPED the transfer is positional (Offset/OffsetHigh) and synchronous.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
// Writes everything or fails (a full disk: ERROR_DISK_FULL); *bytesWritten tells how much went out.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);
BOOL FlushFileBuffers(HANDLE file);
// The creation time is the birth time where the file system records one, else the write time.
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
// The creation time is ignored (Linux cannot set it); a NULL or zero time leaves that time.
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite);

namespace platform
{
// Wraps an open descriptor (taking ownership) in a file handle that ReadFile, WriteFile and
// CloseHandle accept; for other areas that make descriptors (pipes). nullptr when fd < 0.
HANDLE RegisterFileDescriptor(int fd);
// The descriptor behind a file handle (still owned by the handle), or -1 with ERROR_INVALID_HANDLE.
int FileDescriptorOf(HANDLE file);
} // namespace platform

// ---- paths -----------------------------------------------------------------------------

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

// Copies bytes, permission bits and times into a temporary file beside the target and renames
// it over the target: a running program can be replaced and a failed copy leaves no half file.
// failIfExists: an existing target fails with ERROR_FILE_EXISTS (checked atomically).
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
// MoveFileExW with MOVEFILE_COPY_ALLOWED: files move across file systems, targets are kept.
BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName);
// Without MOVEFILE_REPLACE_EXISTING an existing target fails with ERROR_ALREADY_EXISTS.
// MOVEFILE_COPY_ALLOWED moves a file across file systems by copy and delete;
// MOVEFILE_WRITE_THROUGH returns only once the move is on disk. Delayed moves are not supported.
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);
// Files and links only: a folder fails with ERROR_ACCESS_DENIED.
BOOL DeleteFileW(LPCWSTR fileName);
// lstat-based; READONLY when the owner may not write, HIDDEN for names starting with ".",
// ARCHIVE for files, NORMAL when nothing else applies.
DWORD GetFileAttributesW(LPCWSTR fileName);
// READONLY clears every write bit; without it the owner's write bit is restored. Others ignored.
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes);
BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR pathName);
// FILE_ATTRIBUTE_DIRECTORY when the path (followed through links) is a folder, else FALSE.
BOOL PathIsDirectoryW(LPCWSTR path);
BOOL PathFileExistsW(LPCWSTR path);

// The buffer functions below return the length without the NUL, or, when the buffer is too
// small, the size needed including the NUL (the buffer is then left alone). 0 on failure.
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR pathName);
// The per-user private temporary folder with a trailing "/": $TMPDIR when set and non-empty,
// else /tmp/<product>-<uid>/ (ProductName.h), created 0700 and refused unless it is a real folder owned by
// us.
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);

// ---- searches --------------------------------------------------------------------------

struct WIN32_FIND_DATAW
{
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// The pattern is "<folder>/<mask>" (a bare mask searches the current folder); the mask may
// hold "*" and "?" and matches without regard to letter case; "*" and "*.*" match every name.
// "." and ".." come first, then the names in byte order. Names are cut to fit the buffer.
// No match: INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND: no folder).
HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData);
BOOL FindClose(HANDLE findFile);

// ---- C runtime -------------------------------------------------------------------------

using errno_t = int;
using _fsize_t = unsigned long; // 64 bits here, so sizes past 4 GiB are not cut

constexpr unsigned _A_NORMAL = 0x00;
constexpr unsigned _A_RDONLY = 0x01;
constexpr unsigned _A_HIDDEN = 0x02;
constexpr unsigned _A_SYSTEM = 0x04;
constexpr unsigned _A_SUBDIR = 0x10;
constexpr unsigned _A_ARCH = 0x20;

struct _wfinddata_t
{
    unsigned attrib;
    std::int64_t time_create; // seconds since 1970; birth time where recorded, else write time
    std::int64_t time_access;
    std::int64_t time_write;
    _fsize_t size;
    wchar_t name[260];
};

// Same pattern and order as FindFirstFileW. -1 with errno ENOENT when nothing matches or the
// folder cannot be read. A symbolic link never carries _A_SUBDIR.
std::intptr_t _wfindfirst(const wchar_t* fileSpec, _wfinddata_t* fileInfo);
// 0, or -1 with errno ENOENT after the last entry.
int _wfindnext(std::intptr_t handle, _wfinddata_t* fileInfo);
int _findclose(std::intptr_t handle);

// mode: 0 existence, 2 write, 4 read, 6 read and write; other values fail with EINVAL.
int _waccess(const wchar_t* path, int mode);
// Files and links only: a folder fails with EACCES.
int _wremove(const wchar_t* path);
// Never replaces an existing target (EACCES); files move across file systems.
int _wrename(const wchar_t* oldName, const wchar_t* newName);
// One level; an existing path fails with EEXIST.
int _wmkdir(const wchar_t* path);
int _wrmdir(const wchar_t* path);
// Modes "r", "w", "a" with "+", "x"; "t", "b", "N", "e" accepted. Streams are always close-on-exec.
FILE* _wfopen(const wchar_t* path, const wchar_t* mode);
errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode);
errno_t fopen_s(FILE** file, const char* path, const char* mode);
