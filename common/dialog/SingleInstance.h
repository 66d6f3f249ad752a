#pragma once
// One running copy per program: a second copy finds the first one's top-level window by its
// title, asks it to come forward with WM_COPYDATA (wParam ACTIVATE_RUNNING_INSTANCE) and ends.

#include "common/dialog/ProgramTraits.h"

#include "platform/Win32.h"

#include <string>

constexpr WPARAM ACTIVATE_RUNNING_INSTANCE = 2024;

// The title of the program's top-level window, which the second copy searches for.
std::wstring ProgramWindowTitle(PictavoProgram program, const std::wstring& appName);

// True when another copy already holds the named mutex (after asking its window titled
// windowTitle, if there is one, to come forward). The mutex stays in existence until
// ReleaseSingleInstance or the end of the process.
bool CheckSingleInstance(LPCWSTR mutexName, const std::wstring& windowTitle);
// The program's own mutex and title: appName is GetAppName() for the main program, the
// uninstaller and the updater, and install.ini's appname for the setup program.
bool CheckSingleInstance(PictavoProgram program, const std::wstring& appName);
// Lets the next copy start while this one is still on its way out; safe to call more than once.
void ReleaseSingleInstance();

// The answer of a top-level window's HandleCustomMessage to WM_COPYDATA: shows, restores or
// raises the window when the second copy asks. Always handled, always 0.
LRESULT HandleActivateMessage(HWND hWnd, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
