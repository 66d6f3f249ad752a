#pragma once
// The compression settings of one file (skin "SettingDlg.xml"): the image's size after
// resizing, a resize slider kept in step with the width and height edits, and a quality
// slider. Modal, on the caller's stack: ShowModal returns 2 when confirmed (m_item then holds
// the chosen m_nResize and m_nQuality) and 0 when closed.

#include "common/dialog/WinBaseEx.h"
#include "main/FileItem.h"

class CSettingDlg : public CWinBaseEx
{
public:
    CSettingDlg() = default;

    LPCTSTR GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    DuiLib::CDuiString GetSkinFile() override;
    // Enter is swallowed, so it neither confirms nor reaches the edits.
    LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    // The window's own timers; it sets none.
    virtual LRESULT OnTimer(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    DUI_DECLARE_MESSAGE_MAP()

    // Set by the main window before Create; the dialog does not read the row index.
    int m_nRowIndex = -1;
    // The input image's pixel size; 0 when unknown.
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    FileItem m_item;
    bool m_bInited = false;

private:
    void FindControls();
    void ReadImageSize();
    void OnResizeChanged();
    void OnQualityChanged();
    // An edit left by the user: its number clamped to 10-100 % of its side, the slider and
    // the other edit following it.
    void OnSizeEdited(DuiLib::CControlUI* edit, int side, DuiLib::CControlUI* other, int otherSide);
    // Both edits for the resize percentage.
    void ShowSize(int percent);

    DuiLib::CControlUI* m_pCloseBtn = nullptr;
    DuiLib::CControlUI* m_pOkBtn = nullptr;
    DuiLib::CEditUI* m_pWidthEdit = nullptr;
    DuiLib::CEditUI* m_pHeightEdit = nullptr;
    DuiLib::CSliderUI* m_pResizeSlider = nullptr;
    DuiLib::CSliderUI* m_pQualitySlider = nullptr;
    DuiLib::CControlUI* m_pResizeRate = nullptr;
    DuiLib::CControlUI* m_pQualityRate = nullptr;
};
