#pragma once
// A window whose procedure records what it receives and lets a test answer messages.

#include "platform/Window.h"

#include <functional>
#include <vector>

struct TestWindow
{
    // Answers a message; unset: DefWindowProcW.
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler;
    // Every message number received, in order, including WM_NCCREATE and WM_NCDESTROY.
    std::vector<UINT> seen;
    HWND hwnd = nullptr;

    // Creates the window on the calling thread (nullptr when creation was refused).
    HWND Create(HWND parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0);
    size_t Count(UINT msg) const;
};

// The kernel thread id, as the window functions report it.
DWORD ThisThreadId();
// Runs the calling thread's message loop until WM_QUIT; returns its exit code.
int RunLoop();
// Retrieves and dispatches whatever is queued now, without waiting.
int PumpPending();
