#include "ui/NotifyPump.h"

#include "ui/ControlUI.h"

namespace DuiLib
{
const DUI_MSGMAP* CNotifyPump::_GetBaseMessageMap()
{
    return nullptr;
}

const DUI_MSGMAP CNotifyPump::messageMap = {&CNotifyPump::_GetBaseMessageMap,
                                            &CNotifyPump::_messageEntries[0]};

const DUI_MSGMAP_ENTRY CNotifyPump::_messageEntries[] = {{nullptr, nullptr, nullptr}};

const DUI_MSGMAP* CNotifyPump::GetMessageMap() const
{
    return &messageMap;
}

namespace
{
bool Matches(const DUI_MSGMAP_ENTRY& entry, const TNotifyUI& msg)
{
    if (msg.sType != entry.sMsgType)
        return false;
    if (entry.sCtrlName == nullptr || *entry.sCtrlName == 0)
        return true;
    return msg.pSender != nullptr && msg.pSender->GetName() == entry.sCtrlName;
}
} // namespace

bool CNotifyPump::LoopDispatch(TNotifyUI& msg)
{
    for (const DUI_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
    {
        for (const DUI_MSGMAP_ENTRY* entry = map->lpEntries; entry && entry->sMsgType; ++entry)
        {
            if (Matches(*entry, msg))
            {
                entry->pfn(this, msg);
                return true;
            }
        }
    }
    return false;
}
} // namespace DuiLib
