#pragma once
// Profile (INI) files with the semantics callers expect from Windows: section and key names
// match without regard to case; surrounding blanks of names and values are dropped and a
// value in matching quotes ("..." or '...') loses them; the first matching section and key
// win; missing files, sections and keys give the default. Lines starting with ";" are
// comments. Files are UTF-8 (a BOM is kept) or UTF-16LE with a BOM (kept as such); lines end
// in "\n" or "\r\n", and a rewrite keeps the file's ending and every untouched line byte for
// byte. Writes replace the file atomically under a lock on it, so concurrent writers of
// different keys all land and a writer that dies half-way leaves the old file.

#include "platform/WinError.h"
#include "platform/WinTypes.h"

// Copies the value (or the default, its trailing blanks removed) into lpReturnedString of
// nSize characters, cut to nSize - 1 characters; returns the characters copied.
// A NULL section lists the section names, a NULL key the key names of the section: each name
// NUL-terminated, the list ended by one more NUL; a list that does not fit is cut and ends in
// two NULs, and the result is then nSize - 2.
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
// The leading decimal number of the value (optional sign; 0 when it has none); the default
// when the key is missing or empty.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
// Sets a key, creating the file and the section as needed. A NULL value deletes the key and
// a NULL key the section (every copy of it, so that none shows through afterwards).
// Names or values that would break the file's lines (a line break anywhere, "=" in a key,
// "]" in a section, a key starting with "[" or ";") are refused: FALSE, ERROR_INVALID_PARAMETER.
// FALSE with the error of the file operation when the file cannot be written.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
