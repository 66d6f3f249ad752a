#include "common/dialog/WinBaseEx.h"

#include "platform/Display.h"
#include "platform/Resources.h"

using namespace DuiLib;

CWinBaseEx::~CWinBaseEx()
{
    delete m_pWndShadow;
}

CDuiString CWinBaseEx::GetSkinFolder()
{
    return CurrentProgram().skinFolder;
}

UILIB_RESOURCETYPE CWinBaseEx::GetResourceType() const
{
    return UILIB_ZIPRESOURCE;
}

CDuiString CWinBaseEx::GetZIPFileName() const
{
    return CurrentProgram().zipName;
}

UINT CWinBaseEx::GetResourceID() const
{
    return CurrentProgram().resourceId;
}

LRESULT CWinBaseEx::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (uMsg == WM_KEYDOWN &&
        (wParam == static_cast<WPARAM>(VK_RETURN) || wParam == static_cast<WPARAM>(VK_ESCAPE)))
        return 0;
    return WindowImplBase::MessageHandler(uMsg, wParam, lParam, bHandled);
}

void CWinBaseEx::KeepFixedSize()
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(style & ~(WS_MAXIMIZEBOX | WS_THICKFRAME)));
}

void CWinBaseEx::OnCreateShadow()
{
    const UINT iconId = CurrentProgram().iconId;
    SetIcon(iconId);
    // The window manager shows the embedded PNG; a program without one keeps the default.
    const auto icon = platform::FindResourceData(L"ICON", static_cast<WORD>(iconId));
    if (!icon.empty())
        platform::SetWindowIconFromImage(m_hWnd, icon.data(), icon.size());

    delete m_pWndShadow; // a second call replaces the shadow rather than leaking it
    m_pWndShadow = new CWndShadow;
    m_pWndShadow->Create(m_hWnd);
    RECT corner{16, 16, 16, 16};
    RECT hole{0, 0, 0, 0};
    m_pWndShadow->SetImage(L"shadow.png", corner, hole);
}
