#pragma once
// Layered window opacity. With a compositor the window itself becomes translucent; without
// one (and on the headless backend) the value is kept for the framework to draw with.

#include "platform/Window.h"

constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;

// FALSE with ERROR_INVALID_PARAMETER when the window lacks WS_EX_LAYERED, as on Windows.
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);
// What was last set; a layered window that was never set reads alpha 255 and flags 0.
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags);
