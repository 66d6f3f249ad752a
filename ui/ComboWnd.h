#pragma once
// The popup window of an open combo: a top-level window below the combo that shows the
// combo's items in a scrolling column. The items stay the combo's; they are lent to the popup
// while it is open and given back when it closes.

#include "ui/ListBodyUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/WindowWnd.h"

namespace DuiLib
{
class CComboUI;

class CComboWnd : public CWindowWnd
{
public:
    // Opens the popup for the combo; the window deletes itself when it closes.
    static CComboWnd* Open(CComboUI* pOwner);
    // Closes at once (the combo is going away).
    void Destroy();

protected:
    LPCTSTR GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    explicit CComboWnd(CComboUI* pOwner) : m_pOwner(pOwner) {}
    RECT PopupRect() const;
    void OnCreate();
    void GiveItemsBack();
    bool OnKeyDown(WPARAM wParam);

    CComboUI* m_pOwner;
    CPaintManagerUI m_pm;
    CListBodyUI* m_pLayout = nullptr;
};
} // namespace DuiLib
