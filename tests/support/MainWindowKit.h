#pragma once
// The real main window on the headless backend, made from the embedded skin, with helpers to
// pump its messages, click its controls by name, read its toasts and make real images.

#include "main/MainDlg.h"
#include "tests/support/DialogKit.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace mainwndtest
{
using dialogtest::Pump;
using dialogtest::PumpUntil;
using dialogtest::TakeQuitMessage;
// The texts of the toasts open now, oldest first.
std::vector<std::wstring> OpenToasts();
// Makes an image of the given size with ImageMagick's CLI.
std::string MakeImage(const std::string& path, const std::string& spec = "-size 64x48 plasma:");

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    DuiLib::CControlUI* Control(LPCTSTR name);
    template <typename T> T* ControlAs(LPCTSTR name) { return static_cast<T*>(Control(name)); }
    // Mouse down and up at the centre of a visible control; false when it cannot be clicked.
    bool Click(DuiLib::CControlUI* control);
    bool Click(LPCTSTR name) { return Click(Control(name)); }
    // A button of row index of the tab's list.
    DuiLib::CControlUI* RowControl(int tab, int row, LPCTSTR name);
    // Adds real image files to a tab through the intake's own road.
    std::vector<std::wstring> AddImages(int tab, int count, const std::string& ext = "png");

    CMainDlg* m_dlg = nullptr;
    HWND m_hwnd = nullptr;
    testsupport::TempDir m_dir;
    testsupport::TempDir m_out{"out"};
};
} // namespace mainwndtest
