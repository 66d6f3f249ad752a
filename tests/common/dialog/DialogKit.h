#pragma once
// Driving dialogs on the headless backend: pumping, injected clicks, and a scripted user who
// acts on a message box once it is open (the box runs its own modal loop).

#include "MsgBoxDlg.h"

#include <functional>
#include <string>

namespace dialogtest
{
// Dispatches what is queued; a quit message is dropped and remembered for TakeQuitMessage.
void Pump();
// Pumps until done() or the time is up; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// True when a quit message was dropped since the last call (pumps what is queued first).
bool TakeQuitMessage();
// Mouse down and up at the centre of a visible control of the window; false when it cannot be clicked.
bool ClickControl(HWND hwnd, DuiLib::CControlUI* control);
// The same for the named control of a framework window.
bool ClickControl(DuiLib::WindowImplBase* window, LPCTSTR name);
// The framework object of a window made through CWindowWnd.
template <typename T> T* WindowObject(HWND hwnd)
{
    return static_cast<T*>(reinterpret_cast<DuiLib::CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
}

// Once a visible "MsgBoxDlg" window exists, calls act(box) on this thread from a timer
// (before the box closes, so from inside its modal loop). Stops with the object.
class BoxUser
{
public:
    explicit BoxUser(std::function<void(CMsgBoxDlg*)> act);
    ~BoxUser();
    BoxUser(const BoxUser&) = delete;
    BoxUser& operator=(const BoxUser&) = delete;
    bool acted() const { return m_acted; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    std::function<void(CMsgBoxDlg*)> m_act;
    UINT_PTR m_timer = 0;
    bool m_acted = false;
};

// A plain top-level window of the headless backend.
HWND MakePlainWindow(LPCWSTR title, int showCommand);
} // namespace dialogtest
