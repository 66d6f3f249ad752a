#pragma once
// The start and the loop that the setup program, the updater and the uninstaller share: each
// shows one skinned dialog and ends when it is gone.

#include "common/dialog/WinBaseEx.h"

#include <string>

// The display, the skin folder `skinFolder` beside the program (its zip resource when packed)
// and the drop shadow, before the first window.
void InitProgramSkin(HINSTANCE instance, const wchar_t* skinFolder);

// Creates the dialog (it deletes itself when its window is gone), centres and shows it and runs
// the message loop until the dialog quits. A window that cannot be created is logged, the
// dialog deleted, and false returned.
bool RunProgramWindow(CWinBaseEx* dialog, const std::wstring& title, DWORD style, DWORD exStyle);
