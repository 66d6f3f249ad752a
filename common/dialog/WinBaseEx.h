#pragma once
// The base of every dialog of the four programs: the program's embedded skin, its window icon
// and drop shadow, and no window-level default action for Enter and Escape.

#include "common/dialog/ProgramTraits.h"

#include "ui/UIlib.h"
#include "ui/WndShadow.h"

class CWinBaseEx : public DuiLib::WindowImplBase
{
public:
    CWinBaseEx() = default;
    ~CWinBaseEx() override;

    DuiLib::CDuiString GetSkinFolder() override;
    DuiLib::UILIB_RESOURCETYPE GetResourceType() const override;
    DuiLib::CDuiString GetZIPFileName() const override;
    UINT GetResourceID() const override;

    // Enter and Escape go on to the focused control but never to ResponseDefaultKeyEvent.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // The program's icon and the drop shadow; called once from a dialog's InitWindow.
    virtual void OnCreateShadow();

protected:
    // Takes the maximise box and the sizing frame away: the window keeps the size its skin or
    // its code gives it.
    void KeepFixedSize();

    DuiLib::CWndShadow* m_pWndShadow = nullptr;
};
