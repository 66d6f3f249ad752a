#pragma once
// What the list-like controls (list, combo) share with their items: the look of the items,
// and the two interfaces through which an item and its owner talk (selection, hot state).

#include "ui/ControlUI.h"

#include <cwchar>

namespace DuiLib
{
class IListItemUI;

// The name under which list owners answer GetInterface with their IListOwnerUI.
inline constexpr LPCTSTR kListOwnerInterface = L"IListOwner";

// The look of every item of one owner, set through the owner's item attributes.
struct TListInfoUI
{
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT rcTextPadding{};
    int nItemHeight = 0; // 0: items size themselves
    DWORD dwTextColor = 0;
    DWORD dwBkColor = 0;
    DWORD dwSelectedTextColor = 0;
    DWORD dwSelectedBkColor = 0;
    DWORD dwHotTextColor = 0;
    DWORD dwHotBkColor = 0;
    DWORD dwDisabledTextColor = 0;
    DWORD dwLineColor = 0;
    CDuiString sBkImage;
    CDuiString sSelectedImage;
    CDuiString sHotImage;
    bool bShowHtml = false;
};

// Reads one "item..." attribute of a list owner into info; false when the name is not one.
bool SetListInfoAttribute(TListInfoUI& info, LPCTSTR pstrName, LPCTSTR pstrValue);

// Moves the selection flag of an owner's items from pOld (null: none was selected) to pNew.
void MoveSelectionFlag(CControlUI* pOld, IListItemUI* pNew, bool bTriggerEvent);
// Tells the owner's window that its selection moved from iOld to iNew.
void NotifyItemSelect(CControlUI* pOwner, int iNew, int iOld);

// Where an owner's selection goes when the item at iRemoved goes (-1: it was the one selected).
inline int SelectionAfterRemoval(int iCurSel, int iRemoved)
{
    if (iRemoved == iCurSel)
        return -1;
    return iRemoved < iCurSel ? iCurSel - 1 : iCurSel;
}

class IListOwnerUI
{
public:
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) = 0;
    // Keys pressed on an item go to its owner (moving the selection).
    virtual void DoEvent(TEventUI& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

class IListItemUI
{
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    // Changes the selection flag only; the owner keeps its current selection.
    virtual bool Select(bool bSelect = true, bool bTriggerEvent = true) = 0;

protected:
    ~IListItemUI() = default;
};

// The list item interface of a control, or null.
inline IListItemUI* AsListItem(CControlUI* pControl)
{
    return pControl ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : nullptr;
}

inline IListOwnerUI* AsListOwner(CControlUI* pControl)
{
    return pControl ? static_cast<IListOwnerUI*>(pControl->GetInterface(kListOwnerInterface)) : nullptr;
}

// An owner's answer to GetInterface for its owner interface; null for any other name.
inline LPVOID ListOwnerInterface(IListOwnerUI* pOwner, LPCTSTR pstrName)
{
    return std::wcscmp(pstrName, kListOwnerInterface) == 0 ? pOwner : nullptr;
}
} // namespace DuiLib
