#pragma once
// A control that holds other controls. It lays them out over its whole area (less the inset)
// unless a layout derived from it places them in a row or column; float children sit at their
// own position relative to the container.

#include "ui/ControlUI.h"

#include <vector>

namespace DuiLib
{
class CContainerUI : public CControlUI
{
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    CControlUI* GetItemAt(int iIndex) const;
    int GetItemIndex(CControlUI* pControl) const;
    bool SetItemIndex(CControlUI* pControl, int iIndex);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    virtual bool Add(CControlUI* pControl);
    virtual bool AddAt(CControlUI* pControl, int iIndex);
    // Removes and deletes the control (once the current message is done) unless bDoNotDestroy.
    virtual bool Remove(CControlUI* pControl, bool bDoNotDestroy = false);
    virtual bool RemoveAt(int iIndex, bool bDoNotDestroy = false);
    virtual void RemoveAll();

    void SetAutoDestroy(bool bAuto) { m_bAutoDestroy = bAuto; }
    void SetDelayedDestroy(bool bDelayed) { m_bDelayedDestroy = bDelayed; }
    RECT GetInset() const { return m_rcInset; }
    void SetInset(RECT rcInset);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int iPadding);
    bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
    void SetMouseChildEnabled(bool bEnable = true) { m_bMouseChildEnabled = bEnable; }
    // Scroll bars are attached by the scroll bar control; the container keeps the request.
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    bool IsVScrollBarRequested() const { return m_bVScrollRequested; }
    bool IsHScrollBarRequested() const { return m_bHScrollRequested; }

    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    CControlUI* FindSubControl(LPCTSTR pstrSubControlName);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

protected:
    // Places a float child relative to this container's top-left corner.
    void SetFloatPos(int iIndex);
    // Row (horizontal) or column (vertical) layout of the non-float children in rc: fixed sizes
    // first, the rest shared by the children without one; the last stretch child takes the
    // rounding remainder.
    void LayoutLinear(RECT rc, bool bVertical);
    RECT ContentRect(RECT rc) const;
    void DestroyChild(CControlUI* pControl);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset{};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    bool m_bVScrollRequested = false;
    bool m_bHScrollRequested = false;
};
} // namespace DuiLib
