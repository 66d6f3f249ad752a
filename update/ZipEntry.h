#pragma once
// One entry of an archive as the extractor's callers see it.

#include "platform/WinTypes.h"

struct ZipEntry
{
    // The entry's position; for the count query (index -1) the number of entries.
    int index;
    // The cleaned name, relative to the base folder, with the archive's own separators.
    wchar_t name[MAX_PATH];
    // Windows attribute bits: read-only 0x1, hidden 0x2, system 0x4, directory 0x10, archive 0x20.
    DWORD attr;
    FILETIME atime;
    FILETIME ctime;
    FILETIME mtime;
    DWORD comp_size;
    DWORD unc_size;
};
