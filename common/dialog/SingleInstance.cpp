#include "common/dialog/SingleInstance.h"

#include "platform/UniqueHandle.h"

#include <mutex>
#include <vector>

namespace
{
// The mutexes this process holds, closed by ReleaseSingleInstance. Never destroyed: a mutex
// not released stays held until the process is gone, as it always did.
std::mutex g_heldLock;
std::vector<platform::UniqueHandle>& g_held = *new std::vector<platform::UniqueHandle>;
} // namespace

std::wstring ProgramWindowTitle(PictavoProgram program, const std::wstring& appName)
{
    return appName + GetProgramTraits(program).titleSuffix;
}

bool CheckSingleInstance(LPCWSTR mutexName, const std::wstring& windowTitle)
{
    // A stale "already exists" of an earlier call must not be read as ours.
    ::SetLastError(ERROR_SUCCESS);
    platform::UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, mutexName));
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
    // Only the name matters: the handle stays open until the program lets it go.
    if (mutex)
    {
        ::ReleaseMutex(mutex.get());
        if (!running) // else the other copy's lock, never ours: closed here
        {
            std::lock_guard<std::mutex> guard(g_heldLock);
            g_held.push_back(std::move(mutex));
        }
    }
    return running;
}

void ReleaseSingleInstance()
{
    std::vector<platform::UniqueHandle> held; // closed as it goes, outside the lock
    {
        std::lock_guard<std::mutex> guard(g_heldLock);
        held.swap(g_held);
    }
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
