#pragma once
// The one window of the setup program, the updater and the uninstaller: named after its skin
// file, neither maximisable nor resizable, and the end of its program (it deletes itself when
// its window is gone and posts the quit message). The system close and the skin's "closeBtn"
// close it with code 1, "minBtn" minimises it, a system command that maximises or restores it
// swaps the skin's "maxBtn" and "restoreBtn" (where it has them), a second copy's WM_COPYDATA
// brings it forward and an HTTP reply that comes to it is freed.

#include "common/dialog/WinBaseEx.h"

class CProgramDlg : public CWinBaseEx
{
public:
    // name: the window class; the skin file is name + ".xml".
    explicit CProgramDlg(const wchar_t* name) : m_name(name) {}
    ~CProgramDlg() override;

    LPCTSTR GetWindowClassName() const override;
    DuiLib::CDuiString GetSkinFile() override;
    void OnFinalMessage(HWND hWnd) override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // The messages every program window answers alike; the others are left unhandled. A
    // program's window answers its own first and hands the rest on to this one.
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

protected:
    // The icon, the shadow and the fixed frame: the first thing of InitWindow.
    void InitProgramWindow();
    // "closeBtn" and "minBtn"; false for any other name.
    bool OnCaptionButton(const DuiLib::CDuiString& name);
    // An OnChar for windows where Backspace typed outside an edit box must go nowhere.
    static LRESULT SwallowBackspace(WPARAM wParam, BOOL& bHandled);

private:
    const wchar_t* m_name;
};
