// Control timers ride on window timers numbered from kControlTimerBase; a control names its
// timer by its own id, so two controls may both use id 1. A timer dies with its control
// (ReapObjects) and with the window (WM_DESTROY).

#include "ui/PaintManagerParts.h"

#include "platform/Kernel.h"

namespace DuiLib
{
bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    if (pControl == nullptr || m_hWndPaint == nullptr)
        return false;
    for (const auto& timer : m_timers)
    {
        if (timer->pSender == pControl && timer->nLocalID == nTimerID)
            return ::SetTimer(m_hWndPaint, timer->uWinTimer, uElapse, nullptr) != 0;
    }
    const UINT_PTR winTimer = kControlTimerBase + (++m_nextTimerId);
    if (::SetTimer(m_hWndPaint, winTimer, uElapse, nullptr) == 0)
        return false;
    m_timers.push_back(std::make_unique<TimerInfo>(TimerInfo{pControl, nTimerID, winTimer}));
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
    {
        if ((*it)->pSender == pControl && (*it)->nLocalID == nTimerID)
        {
            if (m_hWndPaint)
                ::KillTimer(m_hWndPaint, (*it)->uWinTimer);
            m_timers.erase(it);
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl)
{
    for (auto it = m_timers.begin(); it != m_timers.end();)
    {
        if ((*it)->pSender != pControl)
        {
            ++it;
            continue;
        }
        if (m_hWndPaint)
            ::KillTimer(m_hWndPaint, (*it)->uWinTimer);
        it = m_timers.erase(it);
    }
}

void CPaintManagerUI::RemoveAllTimers()
{
    if (m_hWndPaint && ::IsWindow(m_hWndPaint))
    {
        for (const auto& timer : m_timers)
            ::KillTimer(m_hWndPaint, timer->uWinTimer);
    }
    m_timers.clear();
}

void CPaintManagerUI::OnTimer(WPARAM wParam)
{
    for (const auto& timer : m_timers)
    {
        if (timer->uWinTimer != wParam)
            continue;
        // The handler may kill timers, so nothing of the list is used after it.
        CControlUI* sender = timer->pSender;
        const UINT localId = timer->nLocalID;
        DispatchEvent(sender, UIEVENT_TIMER, m_ptLastMousePos, localId,
                      static_cast<LPARAM>(::GetTickCount()));
        return;
    }
}
} // namespace DuiLib
