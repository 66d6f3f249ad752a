#pragma once
// Driving the file intake on a real main window: made headless from the program's embedded
// skin, with dialogs answered and drops injected through the platform's headless hooks.

#include "main/MainDlg.h"
#include "tests/support/DialogKit.h"

#include <string>
#include <vector>

namespace intaketest
{
// The main window as the program makes it; destroyed (and so deleted) with the object.
class MainWindow
{
public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    CMainDlg& dlg() { return *m_dlg; }
    HWND hwnd() const { return m_hwnd; }
    // The paths of the tab's items, in vector order.
    std::vector<std::wstring> Paths(int tab);
    // The paths the tab's rows show, top to bottom.
    std::vector<std::wstring> RowPaths(int tab);
    // Shows the tab's page and tells whether its drag hint shows.
    bool HintVisible(int tab);
    // Clicks a button of row index of the tab's list (the tab showing); false when the row or
    // button is not there.
    bool ClickRow(int tab, int row, LPCTSTR name);
    // Drops the paths onto the window as the desktop would and lets the window handle them.
    bool Drop(const std::vector<std::wstring>& paths);

private:
    CMainDlg* m_dlg = nullptr;
    HWND m_hwnd = nullptr;
};

// The text of the newest open toast; empty when none is open.
std::wstring LastToast();

// The config.ini beside the test program, which the window reads and writes. Tests of this
// suite run as parallel processes: the guard holds a lock on it for the test's length and
// puts the file back as it was.
class ConfigIniGuard
{
public:
    ConfigIniGuard();
    ~ConfigIniGuard();
    ConfigIniGuard(const ConfigIniGuard&) = delete;
    ConfigIniGuard& operator=(const ConfigIniGuard&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_lock = -1;
    bool m_existed = false;
    std::string m_saved;
};

// Points the XDG documents folder at $HOME/<name> (made) and returns it.
std::string UseDocumentsFolder(const std::string& name);
} // namespace intaketest
