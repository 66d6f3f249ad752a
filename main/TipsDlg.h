#pragma once
// The toast (skin "TipsDlg.xml"): one line of text in a small translucent window centred over
// the main window. It stays a second, fades out through its layered opacity and closes itself;
// the object deletes itself when its window is gone.

#include "common/dialog/WinBaseEx.h"

#include <string>
#include <vector>

// Timer ids of the toast.
constexpr UINT_PTR TIPS_TIMER_SHOW = 1000;
constexpr UINT_PTR TIPS_TIMER_FADE = 1001;

class CTipsDlg : public CWinBaseEx
{
public:
    CTipsDlg() = default;

    LPCTSTR GetWindowClassName() const override;
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    DuiLib::CDuiString GetSkinFile() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // The show and fade timers; other timers go on to the framework.
    virtual LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // Shows text and sizes the window to it (text width + 40 by 32) without moving it.
    void SetTipText(const std::wstring& text);

    DUI_DECLARE_MESSAGE_MAP()

    bool m_bInited = false;
    int m_nShowTime = 3000; // ms before the fade; SetTipText makes it 1000
    int m_nFadeStep = 0;    // opacity already taken off
    int m_nStartAlpha = 255;

private:
    // The skin's layering becomes the window's (WS_EX_LAYERED with the skin's opacity), so
    // the fade has an opacity to start from.
    void ApplySkinLayering();
    void FadeStep();
};

// The open toasts, oldest first. Not owned: each toast deletes itself.
extern std::vector<CTipsDlg*> g_vecTips;

// Opens a toast with text over parent (centred on the screen when parent is hidden or
// minimised). UI thread only.
void ShowTips(HWND parent, const std::wstring& text);
// Closes every open toast; the windows go when the message loop next runs.
void CloseAllTips();
