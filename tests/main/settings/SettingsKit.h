#pragma once
// Driving the settings window and the toasts headless: images made with ImageMagick, a slider
// moved and an edit typed into with injected input, a settings window opened the way the main
// window opens it.

#include "main/SettingDlg.h"
#include "tests/support/DialogKit.h"

#include <string>

namespace settingstest
{
// Draws a plain image of width x height with the ImageMagick command line.
bool MakeImage(int width, int height, const std::string& path);

// Presses and releases the mouse on the slider where it takes value; false when no place does.
bool SlideTo(DuiLib::WindowImplBase* window, LPCTSTR slider, int value);
// Clicks into the edit, replaces its whole text by typing text, then leaves it with Tab.
bool TypeAndLeave(DuiLib::WindowImplBase* window, LPCTSTR edit, const std::wstring& text);
std::wstring TextOf(DuiLib::WindowImplBase* window, LPCTSTR name);
int SliderValue(DuiLib::WindowImplBase* window, LPCTSTR name);

constexpr DWORD kDialogStyle = 0x96C80000; // visible pop-up with caption, border and system menu

// A settings window for a copy of item, owned by a plain main-window stand-in, created,
// centred and laid out, not yet modal.
class OpenSetting
{
public:
    explicit OpenSetting(const FileItem& item, int rowIndex = 0);
    ~OpenSetting();
    OpenSetting(const OpenSetting&) = delete;
    OpenSetting& operator=(const OpenSetting&) = delete;

    CSettingDlg& dlg() { return m_dlg; }
    HWND owner() const { return m_owner; }
    std::wstring Text(LPCTSTR name) { return TextOf(&m_dlg, name); }
    int Slider(LPCTSTR name) { return SliderValue(&m_dlg, name); }

private:
    HWND m_owner = nullptr;
    CSettingDlg m_dlg;
};
} // namespace settingstest

namespace settingstest
{
// The painted pixel of a headless window as 0xRRGGBB (alpha dropped); 0xFFFFFFFF when the
// window has not been painted.
unsigned PixelAt(HWND hwnd, int x, int y);
// Writes the window's painted pixels to a PNG (for looking at a failure).
void SavePainted(HWND hwnd, const std::string& path);
} // namespace settingstest
