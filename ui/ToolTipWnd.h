#pragma once
// The hover tip of a window's controls: a small popup owned by the window that shows a
// control's tooltip text below-right of the pointer. It never takes the activation, so the
// window keeps its keyboard. One per paint manager, made on first use and gone with it.

#include "ui/DuiString.h"
#include "ui/WindowWnd.h"

namespace DuiLib
{
class CControlUI;
class CPaintManagerUI;

class CToolTipWnd : public CWindowWnd
{
public:
    explicit CToolTipWnd(CPaintManagerUI* pManager) : m_pManager(pManager) {}
    ~CToolTipWnd() override;

    // Shows the control's tip near the pointer (client position in the manager's window);
    // hides the tip when the control has no text.
    void Show(CControlUI* pControl, POINT ptClient);
    void Hide();
    // The control whose tip is up, null when none is.
    CControlUI* GetControl() const { return m_pControl; }

protected:
    LPCTSTR GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    bool EnsureWindow();
    SIZE MeasureText();
    RECT PlaceNear(POINT ptScreen, SIZE size) const;
    void OnPaint();

    CPaintManagerUI* m_pManager;
    CControlUI* m_pControl = nullptr;
    CDuiString m_sText;
};
} // namespace DuiLib
