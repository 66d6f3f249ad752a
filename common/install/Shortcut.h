#pragma once
// Shortcuts of the product as desktop entries: on the desktop, and in the product's folder of
// the applications menu together with the uninstaller's entry. The uninstaller removes the
// entries at the paths built here.

#include "platform/Win32.h"

#include <string>

struct ShortcutInfo
{
    wchar_t name[MAX_PATH] = {};            // file name of the entry without ".desktop"
    wchar_t target[MAX_PATH] = {};          // the program started
    wchar_t uninstallTarget[MAX_PATH] = {}; // the second, uninstall entry (menu only)
    wchar_t arguments[MAX_PATH] = {};       // not supported by the entries: must stay empty
    wchar_t iconPath[MAX_PATH] = {};        // used only when the file exists
    wchar_t workingFolder[MAX_PATH] = {};
    wchar_t description[MAX_PATH] = {};
    int iconIndex = 0;
    int showCommand = 1;
    WORD hotKey = 0;
};

// The entry's path for csidl: CSIDL_DESKTOP gives <desktop>/<name>.desktop, the start menu
// (CSIDL_COMMON_STARTMENU or CSIDL_STARTMENU) <applications>/<name>/<name>.desktop. Empty for
// any other folder (Quick Launch does not exist) and when the folder is unknown.
std::wstring ShortcutPath(const std::wstring& name, int csidl);
// The uninstaller's entry beside the menu entry: <applications>/<name>/卸载 <name>.desktop.
std::wstring UninstallShortcutPath(const std::wstring& name);
// The product's folder of the applications menu.
std::wstring MenuFolder(const std::wstring& name);

// Writes the entries for csidl. The desktop entry is written only when the desktop folder
// exists (none is created); the menu's folders are created when missing. True when the last
// entry written succeeded.
bool CreateShortcut(const ShortcutInfo& info, int csidl);
