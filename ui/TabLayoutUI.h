#pragma once
// Pages on top of each other: only the selected one is visible.

#include "ui/ContainerUI.h"

namespace DuiLib
{
class CTabLayoutUI : public CContainerUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl, bool bDoNotDestroy = false) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    // Shows page iIndex and sends "tabselect" (wParam new, lParam old); false when out of range.
    virtual bool SelectItem(int iIndex);
    virtual bool SelectItem(CControlUI* pControl);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

private:
    void ShowOnly(int iIndex);

    int m_iCurSel = -1;
};
} // namespace DuiLib
