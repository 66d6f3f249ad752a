#pragma once
// Routes notifications to member functions through a static table per class, keyed by the
// notification type and, optionally, the sender's name. A class's table chains to its base's,
// so a derived window inherits its base's entries (for example "click" to OnClick).

#include "ui/UIDefine.h"

namespace DuiLib
{
class CNotifyPump;
// Each entry calls its member through a small thunk that casts the pump down to the class
// that declared the member (a virtual member still dispatches virtually).
using DUI_PMSG = void (*)(CNotifyPump* pump, TNotifyUI& msg);

template <typename T> struct DuiMemberClass;
template <typename C> struct DuiMemberClass<void (C::*)(TNotifyUI&)>
{
    using type = C;
};

template <auto F> void DuiNotifyThunk(CNotifyPump* pump, TNotifyUI& msg)
{
    using Class = typename DuiMemberClass<decltype(F)>::type;
    (static_cast<Class*>(pump)->*F)(msg);
}

struct DUI_MSGMAP_ENTRY
{
    LPCTSTR sMsgType;  // notification type
    LPCTSTR sCtrlName; // sender name; empty: any sender
    DUI_PMSG pfn;
};

struct DUI_MSGMAP
{
    const DUI_MSGMAP* (*pfnGetBaseMap)();
    const DUI_MSGMAP_ENTRY* lpEntries; // ends with an entry whose sMsgType is null
};

class CNotifyPump
{
public:
    virtual ~CNotifyPump() = default;
    // Calls the first matching entry of this object's map chain; false when none matched.
    bool LoopDispatch(TNotifyUI& msg);

    static const DUI_MSGMAP* _GetBaseMessageMap();
    static const DUI_MSGMAP messageMap;
    static const DUI_MSGMAP_ENTRY _messageEntries[];

protected:
    virtual const DUI_MSGMAP* GetMessageMap() const;
};
} // namespace DuiLib

#define DUI_DECLARE_MESSAGE_MAP()                                                                            \
public:                                                                                                      \
    static const DuiLib::DUI_MSGMAP_ENTRY _messageEntries[];                                                 \
    static const DuiLib::DUI_MSGMAP messageMap;                                                              \
    static const DuiLib::DUI_MSGMAP* _GetBaseMessageMap();                                                   \
                                                                                                             \
protected:                                                                                                   \
    const DuiLib::DUI_MSGMAP* GetMessageMap() const override;                                                \
                                                                                                             \
public:

#define DUI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                                           \
    const DuiLib::DUI_MSGMAP* theClass::_GetBaseMessageMap()                                                 \
    {                                                                                                        \
        return &baseClass::messageMap;                                                                       \
    }                                                                                                        \
    const DuiLib::DUI_MSGMAP* theClass::GetMessageMap() const                                                \
    {                                                                                                        \
        return &theClass::messageMap;                                                                        \
    }                                                                                                        \
    const DuiLib::DUI_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap,                          \
                                                     &theClass::_messageEntries[0]};                         \
    const DuiLib::DUI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define DUI_ON_MSGTYPE(msgtype, memberFxn) {msgtype, L"", &DuiLib::DuiNotifyThunk<&memberFxn>},

#define DUI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn)                                                  \
    {msgtype, ctrname, &DuiLib::DuiNotifyThunk<&memberFxn>},

#define DUI_ON_CLICK_CTRNAME(ctrname, memberFxn) DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_CLICK, ctrname, memberFxn)

#define DUI_END_MESSAGE_MAP()                                                                                \
    {                                                                                                        \
        nullptr, nullptr, nullptr                                                                            \
    }                                                                                                        \
    }                                                                                                        \
    ;
