#include "common/dialog/ProgramDlg.h"

#include "common/base/PostedRecord.h"
#include "common/dialog/SingleInstance.h"
#include "common/http/HttpMgr.h"

#include <utility>

using namespace DuiLib;

CProgramDlg::~CProgramDlg()
{
    ::PostQuitMessage(0);
}

LPCTSTR CProgramDlg::GetWindowClassName() const
{
    return m_name;
}

CDuiString CProgramDlg::GetSkinFile()
{
    return CDuiString(m_name) + L".xml";
}

void CProgramDlg::OnFinalMessage(HWND hWnd)
{
    CWinBaseEx::OnFinalMessage(hWnd);
    delete this;
}

void CProgramDlg::InitProgramWindow()
{
    OnCreateShadow();
    KeepFixedSize();
}

bool CProgramDlg::OnCaptionButton(const CDuiString& name)
{
    if (name == L"closeBtn")
        Close(1);
    else if (name == L"minBtn")
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else
        return false;
    return true;
}

LRESULT CProgramDlg::SwallowBackspace(WPARAM wParam, BOOL& bHandled)
{
    bHandled = wParam == VK_BACK ? TRUE : FALSE;
    return 0;
}

LRESULT CProgramDlg::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE)
    {
        Close(1);
        bHandled = TRUE;
        return 0;
    }
    const bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    const LRESULT result = CWinBaseEx::OnSysCommand(uMsg, wParam, lParam, bHandled);
    const bool zoomed = ::IsZoomed(m_hWnd) != FALSE;
    if (zoomed == wasZoomed)
        return result;
    // A skin with maximise and restore buttons shows the one that fits the new state.
    for (const auto& [name, shown] : {std::pair{L"maxBtn", !zoomed}, std::pair{L"restoreBtn", zoomed}})
        if (CControlUI* button = m_PaintManager.FindControl(name))
            button->SetVisible(shown);
    return result;
}

LRESULT CProgramDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    switch (uMsg)
    {
    case WM_COPYDATA:
        return HandleActivateMessage(m_hWnd, wParam, lParam, bHandled);
    case WM_HTTP_REPLY:
        TakeRecord<HttpReply>(wParam).reset();
        return 1;
    default:
        bHandled = FALSE;
        return 0;
    }
}
