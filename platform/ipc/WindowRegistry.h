#pragma once
// The per-user window registry: one file per process in <RuntimeDir()>/windows, named
// <pid>.win, listing that process's top-level windows, beside the process's socket
// <pid>.sock. A file is replaced atomically (temp file + rename) whenever the list changes and
// removed when the list empties or the process exits. Files of dead processes (no such pid, or
// a pid now used by a process started at another time) are ignored and removed by readers.
//
// File layout (text, one record a line; names are hex of their UTF-8 bytes, "-" when empty):
//   <product name>-windows 1 <start time of the process>
//   <hwnd in hex> <class name> <title>

#include "platform/WinTypes.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::ipc
{
struct SharedWindow
{
    pid_t pid = 0;
    unsigned long long startTime = 0;
    ULONG_PTR hwnd = 0; // the handle in its own process
    std::wstring className;
    std::wstring title;
};

class WindowRegistry
{
public:
    // The registry folder, made 0700 on first use; empty when it cannot be made or is not ours.
    static std::string Folder();
    static std::string SocketPath(const std::string& folder, pid_t pid);

    // Replaces this process's file with the list (removes it when the list is empty).
    static bool Publish(const std::string& folder, const std::vector<SharedWindow>& windows);
    // Removes this process's file and socket.
    static void Withdraw(const std::string& folder);
    // The windows of the other live processes of the user; stale files are removed on the way.
    static std::vector<SharedWindow> ReadOthers(const std::string& folder);

    // Exposed for tests of the parser.
    static std::string Format(const std::vector<SharedWindow>& windows, unsigned long long startTime);
    static bool Parse(const std::string& text, pid_t pid, unsigned long long* startTime,
                      std::vector<SharedWindow>* windows);

private:
    static bool ParseLine(const std::string& line, SharedWindow* window);
    static void ReadOne(const std::string& folder, pid_t pid, std::vector<SharedWindow>* windows);
    static void RemoveStale(const std::string& folder, pid_t pid);
};
} // namespace platform::ipc
