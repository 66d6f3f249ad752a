#pragma once
// Stopping the product's own running programs before their files are replaced or removed.
// A program is ours only when its executable lies in one of the given folders: another
// program that merely shares the image name is never touched.

#include "platform/Win32.h"

#include <string>
#include <vector>

struct StopProgramsResult
{
    // How many of our programs were running and were told to end.
    int stopped = 0;
    // False when one of them was still running when the wait ran out.
    bool allEnded = true;
    // The ids of those that were told to end, for what they leave under their id.
    std::vector<DWORD> ids;
};

// Ends every process named imageName (exact, letter case counts) whose executable sits directly
// in one of folders, then waits up to waitMs in all for them to end. Folders are compared after
// resolving symbolic links and "." / ".." parts; an empty or missing folder matches nothing.
StopProgramsResult StopProgramsIn(const std::wstring& imageName, const std::vector<std::wstring>& folders,
                                  DWORD waitMs);
// True when the executable path lies directly in one of folders, by the rule above.
bool IsProgramIn(const std::wstring& executablePath, const std::vector<std::wstring>& folders);
