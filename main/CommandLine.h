#pragma once
// The main program's one command-line switch.

#include "platform/WinTypes.h"

// Whether the background update check runs on this start: false only for exactly the two
// words "-run" "update" after the program's path (as the updater starts it after an update);
// any other command line, or one that cannot be split, is a normal start.
bool ParseCommandLine(LPCWSTR commandLine);
