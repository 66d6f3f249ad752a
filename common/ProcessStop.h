#pragma once
// Stopping the product's own running programs before their files are replaced.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

// Ends every running process named exeName (this one excepted) whose program file lies
// directly in one of folders, and waits up to waitMs in all for them to be gone. A program of
// the same name elsewhere is left alone. True when none of them is left running.
bool StopProductProcesses(const wchar_t* exeName, const std::vector<std::wstring>& folders, DWORD waitMs);
