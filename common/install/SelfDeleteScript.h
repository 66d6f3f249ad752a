#pragma once
// Removing a program's own files once it has ended: a POSIX sh script in the temporary folder,
// started detached as the program's last act.

#include <string>
#include <vector>

// Writes <temporary folder>/<scriptName> and starts it: it waits (bounded, with a pause between
// tries) for this process to end, removes folder with everything in it, then itself. The
// paths reach the script as arguments, never as part of its text. The temporary folder becomes
// the current directory, so that this process no longer holds folder. False when the script
// could not be written or started; nothing is removed then.
bool WriteSelfDeleteBatch(const std::wstring& scriptName, const std::wstring& folder);
// The uninstaller's form: the same wait, then only the file program goes, and each of folders
// in the order given (deepest first) only when it is empty by then. Files that are not the
// program's own are never touched.
bool WriteSelfDeleteScript(const std::wstring& scriptName, const std::wstring& program,
                           const std::vector<std::wstring>& folders);
