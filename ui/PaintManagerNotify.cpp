// Notifications and message filters. A notifier or filter may remove itself (or another)
// while the list is being run: the list is copied first and removed entries are skipped.
// Asynchronous notifications wait for a posted kPaintManagerFlush, so they arrive after the
// message that raised them, and are dropped with the control that sent them.

#include "ui/PaintManagerParts.h"

#include "platform/Kernel.h"

namespace DuiLib
{
bool CPaintManagerUI::AddNotifier(INotifyUI* pControl)
{
    return AddUnique(m_notifiers, pControl);
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pControl)
{
    return RemoveItem(m_notifiers, pControl);
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam,
                                 bool bAsync)
{
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync)
{
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (bAsync)
    {
        m_asyncNotify.push_back(Msg);
        if (!m_bFlushPosted && m_hWndPaint)
            m_bFlushPosted = ::PostMessageW(m_hWndPaint, kPaintManagerFlush, 0, 0) != FALSE;
        return;
    }
    // A notifier may remove others (or itself) while it runs.
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers)
    {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end())
            notifier->Notify(Msg);
    }
}

void CPaintManagerUI::FlushAsyncNotify()
{
    while (!m_asyncNotify.empty())
    {
        TNotifyUI msg = m_asyncNotify.front();
        m_asyncNotify.erase(m_asyncNotify.begin());
        SendNotify(msg, false);
    }
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return AddUnique(m_messageFilters, pFilter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveItem(m_messageFilters, pFilter);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter)
{
    return AddUnique(m_preMessageFilters, pFilter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveItem(m_preMessageFilters, pFilter);
}

bool CPaintManagerUI::AddPaintOverlay(IPaintOverlayUI* pOverlay)
{
    return AddUnique(m_paintOverlays, pOverlay);
}

bool CPaintManagerUI::RemovePaintOverlay(IPaintOverlayUI* pOverlay)
{
    return RemoveItem(m_paintOverlays, pOverlay);
}

// A filter may remove itself or another while it runs: removed ones are skipped.
bool RunMessageFilters(const std::vector<IMessageFilterUI*>& filters, UINT uMsg, WPARAM wParam, LPARAM lParam,
                       LRESULT& lRes)
{
    const std::vector<IMessageFilterUI*> copy = filters;
    for (IMessageFilterUI* filter : copy)
    {
        if (std::find(filters.begin(), filters.end(), filter) == filters.end())
            continue;
        bool bHandled = false;
        const LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled)
        {
            lRes = result;
            return true;
        }
    }
    return false;
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    return RunMessageFilters(m_preMessageFilters, uMsg, wParam, lParam, lRes);
}
} // namespace DuiLib
