#pragma once
// Resources: data embedded in the program at build time (by the build's resource embedding
// function, cmake/) and looked up by type and name. Types and names are either
// texts ("ZIPRES", compared case-insensitively) or numbers given with MAKEINTRESOURCEW; a
// number and a text never match each other ("#102" is the text form of the number 102).
// All resources belong to the program: every module handle (NULL included) finds the same.
// The data is read-only and lives as long as the process.

#include "platform/WinError.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <span>

// NULL with ERROR_RESOURCE_TYPE_NOT_FOUND when no resource has that type, else with
// ERROR_RESOURCE_NAME_NOT_FOUND when none of that type has that name.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// The resource's data handle (NULL with ERROR_RESOURCE_DATA_NOT_FOUND for a NULL resource).
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The first byte of the data; nothing to unlock.
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Embedded data is never freed: always FALSE, as for any resource of a loaded module.
BOOL FreeResource(HGLOBAL data);

namespace platform
{
// The bytes of the resource (type, numeric id); empty with the last error set when missing.
std::span<const unsigned char> FindResourceData(LPCWSTR type, WORD id);

// Called by the code that the build generates for each embedded file, before main. type and name are
// UTF-8 texts; a name or type of decimal digits means that number. The first registration of
// a type and name wins.
bool RegisterResource(const char* type, const char* name, const unsigned char* data, std::size_t size);
} // namespace platform
