#pragma once
// A list row that holds other controls. Its owner (a list or a combo) keeps the selection;
// the row shows its selected and hot states with the owner's item colours and images and
// reports "itemclick" when the mouse is released over it.

#include "ui/ContainerUI.h"
#include "ui/ListInfo.h"

namespace DuiLib
{
class CListContainerElementUI : public CContainerUI, public IListItemUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int iIndex) override { m_iIndex = iIndex; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool bSelect = true, bool bTriggerEvent = true) override;
    bool IsHot() const { return m_bHot; }

    SIZE EstimateSize(SIZE szAvailable) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;

protected:
    const TListInfoUI* ListInfo() const;
    // The text colour for the row's state, or 0 to use the default.
    DWORD StateTextColor() const;

    int m_iIndex = -1;
    IListOwnerUI* m_pOwner = nullptr;
    bool m_bSelected = false;
    bool m_bHot = false;
};
} // namespace DuiLib
