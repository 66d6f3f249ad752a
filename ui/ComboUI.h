#pragma once
// A drop-down choice: the combo shows its selected item; a click opens a popup window listing
// the items, where a click selects one and closes it. Up and Down move the selection without
// opening. "itemselect" carries the new index in wParam and the old one in lParam.

#include "ui/ContainerUI.h"
#include "ui/ListInfo.h"

namespace DuiLib
{
class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI
{
public:
    CComboUI();
    ~CComboUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    bool Activate() override;

    // The selected item's text.
    CDuiString GetText() const override;
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    void SetDropBoxSize(SIZE szDropBox) { m_szDropBox = szDropBox; }
    // The popup window while it is open, else null.
    HWND GetDropWindow() const;
    void CloseDropDown();

    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool RemoveAt(int iIndex, bool bDoNotDestroy = false) override;
    void RemoveAll() override;

    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int iIndex, bool bTakeFocus = false, bool bTriggerEvent = true) override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

private:
    friend class CComboWnd;
    void Reindex(int iFrom);
    void OnDropClosed() { m_pWindow = nullptr; }

    CComboWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    TListInfoUI m_ListInfo;
    SIZE m_szDropBox{0, 150};
    RECT m_rcTextPadding{};
    UINT m_uButtonState = 0;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sFocusedImage;
    CDuiString m_sDisabledImage;
};
} // namespace DuiLib
