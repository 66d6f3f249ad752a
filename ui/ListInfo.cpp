#include "ui/ListInfo.h"

#include "ui/AttributeParse.h"
#include "ui/PaintManagerUI.h"

#include <map>

namespace DuiLib
{
namespace
{
using ColorField = DWORD TListInfoUI::*;

const std::map<std::wstring, ColorField>& ColorFields()
{
    static const std::map<std::wstring, ColorField> fields{
        {L"itemtextcolor", &TListInfoUI::dwTextColor},
        {L"itembkcolor", &TListInfoUI::dwBkColor},
        {L"itemselectedtextcolor", &TListInfoUI::dwSelectedTextColor},
        {L"itemselectedbkcolor", &TListInfoUI::dwSelectedBkColor},
        {L"itemhottextcolor", &TListInfoUI::dwHotTextColor},
        {L"itemhotbkcolor", &TListInfoUI::dwHotBkColor},
        {L"itemdisabledtextcolor", &TListInfoUI::dwDisabledTextColor},
        {L"itemlinecolor", &TListInfoUI::dwLineColor},
    };
    return fields;
}

UINT WithAlign(UINT style, const CDuiString& value)
{
    style &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
    if (value == L"center")
        style |= DT_CENTER;
    else if (value == L"right")
        style |= DT_RIGHT;
    return style;
}
} // namespace

bool SetListInfoAttribute(TListInfoUI& info, LPCTSTR pstrName, LPCTSTR pstrValue)
{
    const std::wstring name(pstrName);
    const auto color = ColorFields().find(name);
    if (color != ColorFields().end())
    {
        info.*(color->second) = ParseColor(pstrValue);
        return true;
    }
    if (name == L"itemfont")
        info.nFont = ParseInt(pstrValue);
    else if (name == L"itemalign")
        info.uTextStyle = WithAlign(info.uTextStyle, pstrValue);
    else if (name == L"itemendellipsis")
        info.uTextStyle =
            ParseBool(pstrValue) ? (info.uTextStyle | DT_END_ELLIPSIS) : (info.uTextStyle & ~DT_END_ELLIPSIS);
    else if (name == L"itemtextpadding")
        info.rcTextPadding = ParseRect(pstrValue);
    else if (name == L"itemheight")
        info.nItemHeight = ParseInt(pstrValue);
    else if (name == L"itembkimage")
        info.sBkImage = pstrValue;
    else if (name == L"itemselectedimage")
        info.sSelectedImage = pstrValue;
    else if (name == L"itemhotimage")
        info.sHotImage = pstrValue;
    else if (name == L"itemshowhtml")
        info.bShowHtml = ParseBool(pstrValue);
    else
        return false;
    return true;
}

void MoveSelectionFlag(CControlUI* pOld, IListItemUI* pNew, bool bTriggerEvent)
{
    if (IListItemUI* previous = AsListItem(pOld))
        previous->Select(false, bTriggerEvent);
    pNew->Select(true, bTriggerEvent);
}

void NotifyItemSelect(CControlUI* pOwner, int iNew, int iOld)
{
    if (CPaintManagerUI* manager = pOwner->GetManager())
        manager->SendNotify(pOwner, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(iNew),
                            static_cast<LPARAM>(iOld));
}
} // namespace DuiLib
