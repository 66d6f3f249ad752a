#pragma once
// Finding a running program by its image name and starting one without waiting.

#include "platform/Win32.h"

// True, with *pid set, for the first running process whose image file name equals exeName
// exactly (letter case counts). Stopping it is the caller's business.
bool FindProcessByName(LPCWSTR exeName, DWORD* pid);
// Starts the program without waiting; hidden means no terminal. The command line must be
// writable and quoted by the caller. A failure sends one line to the debug output.
bool StartProcess(LPCWSTR appName, LPWSTR cmdLine, bool hidden);
