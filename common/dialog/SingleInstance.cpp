#include "SingleInstance.h"

std::wstring ProgramWindowTitle(PictavoProgram program, const std::wstring& appName)
{
    return appName + GetProgramTraits(program).titleSuffix;
}

bool CheckSingleInstance(LPCWSTR mutexName, const std::wstring& windowTitle)
{
    // A stale "already exists" of an earlier call must not be read as ours.
    ::SetLastError(ERROR_SUCCESS);
    const HANDLE mutex = ::CreateMutexW(nullptr, TRUE, mutexName);
    const bool running = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (running)
    {
        const HWND first = ::FindWindowW(nullptr, windowTitle.c_str());
        if (first != nullptr)
        {
            COPYDATASTRUCT copy{};
            ::SendMessageW(first, WM_COPYDATA, ACTIVATE_RUNNING_INSTANCE, reinterpret_cast<LPARAM>(&copy));
        }
    }
    // Only the name matters: the handle stays open for the life of the process.
    if (mutex != nullptr)
        ::ReleaseMutex(mutex);
    return running;
}

bool CheckSingleInstance(PictavoProgram program, const std::wstring& appName)
{
    return CheckSingleInstance(GetProgramTraits(program).mutexName, ProgramWindowTitle(program, appName));
}

LRESULT HandleActivateMessage(HWND hWnd, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = TRUE;
    if (wParam != ACTIVATE_RUNNING_INSTANCE || lParam == 0)
        return 0;
    if (!::IsWindowVisible(hWnd))
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
    else if (::IsIconic(hWnd))
        ::SendMessageW(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    else
    {
        // Above every other window for a moment, without staying topmost.
        ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowPos(hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return 0;
}
