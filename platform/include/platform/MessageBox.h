#pragma once
// The system message box: a modal GTK message dialog that keeps the calling thread's messages
// and timers running while it is up. On the headless backend it is recorded and answered
// without showing anything, so that tests can see what a program would have asked.

#include "platform/Window.h"

#include <string>
#include <vector>

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows the box owned by hwnd's top-level window (disabled meanwhile) and returns the button
// chosen. Closing the box answers IDCANCEL when it has a Cancel button (IDOK for MB_OK). A
// WM_QUIT arriving meanwhile ends the box with that answer and is posted again. Caption NULL:
// "Error". 0 for an unknown button set.
int MessageBoxW(HWND hwnd, LPCWSTR text, LPCWSTR caption, UINT type);

namespace platform::headless
{
struct MessageBoxCall
{
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};
// Every box asked for on the headless backend, oldest first.
std::vector<MessageBoxCall> MessageBoxCalls();
void ClearMessageBoxCalls();
// The answer headless boxes give; 0 (the start value): the box's default button (IDOK for
// MB_OK, IDYES for MB_YESNO, the second button with MB_DEFBUTTON2, ...).
void SetMessageBoxAnswer(int answer);
} // namespace platform::headless
