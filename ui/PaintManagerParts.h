#pragma once
// What the files of CPaintManagerUI share among themselves: the posted message and timer
// range the manager keeps for itself, the list of live managers, and small list helpers.
// Not for use outside those files.

#include "ui/PaintManagerUI.h"

#include <algorithm>

namespace DuiLib
{
// Posted to the window to deliver queued notifications and free removed controls. Far above
// the programs' own private messages (WM_USER + 1000 and up).
inline constexpr UINT kPaintManagerFlush = WM_APP + 0x3FF0;
// Window timer ids of control timers start here, above the programs' own timer ids: a
// WM_TIMER below it belongs to the window class, not to a control.
inline constexpr UINT_PTR kControlTimerBase = 0x10000;

struct CPaintManagerUI::TimerInfo
{
    CControlUI* pSender;
    UINT nLocalID;
    UINT_PTR uWinTimer;
};

// Every manager with a window, in the order their windows were attached.
std::vector<CPaintManagerUI*>& LivePaintManagers();

template <typename T> bool AddUnique(std::vector<T*>& list, T* item)
{
    if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end())
        return false;
    list.push_back(item);
    return true;
}

template <typename T> bool RemoveItem(std::vector<T*>& list, T* item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

// Offers a message to the filters in the order added; true (with lRes) once one handled it.
bool RunMessageFilters(const std::vector<IMessageFilterUI*>& filters, UINT uMsg, WPARAM wParam, LPARAM lParam,
                       LRESULT& lRes);

// Control class names, image names and the like are matched without regard to case.
inline CDuiString LowerCase(LPCTSTR text)
{
    CDuiString result(text);
    result.MakeLower();
    return result;
}
} // namespace DuiLib
