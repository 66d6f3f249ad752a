#pragma once
// The system's own modal message box (skin "MsgBoxDlg.xml"): a title, a text fitted into a box
// of 320 to 380 pixels' width, and one of several button sets; returns the code of the button
// that closed it.
//
// The setup program builds the older form (ProgramTraits::olderMsgBox): no "go" button, no
// first-line indent, boxes up to 480 wide, and a hidden owner stays hidden.

#include "common/dialog/WinBaseEx.h"

// Button sets (pages of mainTab).
constexpr int MSGBOX_YESNO = 0;
constexpr int MSGBOX_YES = 1;
constexpr int MSGBOX_OKCANCEL = 2;
constexpr int MSGBOX_OK = 3;
constexpr int MSGBOX_GO = 5;

// Close codes.
constexpr int MSGBOX_CLOSE = 1;
constexpr int MSGBOX_IDYES = 2;
constexpr int MSGBOX_IDNO = 4;
constexpr int MSGBOX_IDOK = 8;
constexpr int MSGBOX_IDCANCEL = 16;
constexpr int MSGBOX_IDGO = 128;

class CMsgBoxDlg : public CWinBaseEx
{
public:
    explicit CMsgBoxDlg(bool bOlderForm = CurrentProgram().olderMsgBox);

    // Runs a box owned by parent until a button closes it; 0 when the box cannot be made.
    static int ShowMsgBox(HWND parent, LPCWSTR title, LPCWSTR message, int kind);

    LPCTSTR GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    DuiLib::CDuiString GetSkinFile() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    // Sets the texts, fits the window to the message and shows the button set of kind.
    void SetMessage(LPCWSTR title, LPCWSTR message, int kind);

    DUI_DECLARE_MESSAGE_MAP()

private:
    // The close code of a control name; 0 for controls that do not close the box.
    int CloseCodeOf(const DuiLib::CDuiString& name) const;
    // The window size for the message; may change the label's text and style.
    SIZE FitToText(DuiLib::CLabelUI* label, const DuiLib::CDuiString& message);
    SIZE FitWrapped(const DuiLib::CDuiString& text, const RECT& unwrapped);
    // The text's extent (right, bottom) wrapped in a rectangle width wide.
    RECT Measure(const DuiLib::CDuiString& text, int width);

    DuiLib::CControlUI* m_pCloseBtn = nullptr;
    DuiLib::CTabLayoutUI* m_pMainTab = nullptr;
    bool m_bOlderForm = false;
    HDC m_hMeasureDC = nullptr;
};
