#include "main/TipsDlg.h"

#include "platform/Gdi.h"
#include "platform/Layered.h"

#include <algorithm>

using namespace DuiLib;

std::vector<CTipsDlg*> g_vecTips;

namespace
{
constexpr int kTipHeight = 32;
constexpr int kTextMargin = 40;
constexpr int kMeasureLimit = 9999;
constexpr int kFadeAmount = 10;
constexpr UINT kFadeInterval = 1;

void Forget(CTipsDlg* tip)
{
    const auto found = std::find(g_vecTips.begin(), g_vecTips.end(), tip);
    if (found != g_vecTips.end())
        g_vecTips.erase(found);
}
} // namespace

DUI_BEGIN_MESSAGE_MAP(CTipsDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CTipsDlg::OnClick)
DUI_END_MESSAGE_MAP()

LPCTSTR CTipsDlg::GetWindowClassName() const
{
    return L"TipsDlg";
}

CDuiString CTipsDlg::GetSkinFile()
{
    return L"TipsDlg.xml";
}

void CTipsDlg::OnClick(TNotifyUI&) {}

void CTipsDlg::InitWindow()
{
    KeepFixedSize();
    ApplySkinLayering();
    m_bInited = true;
}

void CTipsDlg::ApplySkinLayering()
{
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
    // Nothing to do when the skin asks for none or the framework already layered the window.
    if (!m_PaintManager.IsLayered() || (exStyle & WS_EX_LAYERED) != 0)
        return;
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(exStyle | WS_EX_LAYERED));
    ::SetLayeredWindowAttributes(m_hWnd, 0, m_PaintManager.GetOpacity(), LWA_ALPHA);
}

void CTipsDlg::SetTipText(const std::wstring& text)
{
    m_nShowTime = 1000;
    m_nFadeStep = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    // A window that is not layered fades from full opacity.
    if (::GetLayeredWindowAttributes(m_hWnd, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) != 0)
        m_nStartAlpha = alpha;
    auto* label = dynamic_cast<CLabelUI*>(m_PaintManager.FindControl(L"tipsLabel"));
    if (label == nullptr)
        return;
    label->SetText(text.c_str());

    HDC dc = m_PaintManager.GetPaintDC();
    const HGDIOBJ previous = ::SelectObject(dc, m_PaintManager.GetFont(label->GetFont()));
    RECT rc{0, 0, kMeasureLimit, kMeasureLimit};
    ::DrawTextW(dc, text.c_str(), -1, &rc, DT_CALCRECT);
    ::SelectObject(dc, previous);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left + kTextMargin, kTipHeight,
                   SWP_NOMOVE | SWP_NOZORDER);
}

LRESULT CTipsDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (uMsg == WM_TIMER)
        return OnTimer(uMsg, wParam, lParam, bHandled);
    return 0;
}

LRESULT CTipsDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam == TIPS_TIMER_SHOW)
    {
        ::KillTimer(m_hWnd, TIPS_TIMER_SHOW);
        ::SetTimer(m_hWnd, TIPS_TIMER_FADE, kFadeInterval, nullptr);
        bHandled = TRUE;
    }
    else if (wParam == TIPS_TIMER_FADE)
    {
        FadeStep();
        bHandled = TRUE;
    }
    return 0;
}

void CTipsDlg::FadeStep()
{
    m_nFadeStep += kFadeAmount;
    if (m_nFadeStep <= m_nStartAlpha)
    {
        ::SetLayeredWindowAttributes(m_hWnd, 0, static_cast<BYTE>(m_nStartAlpha - m_nFadeStep), LWA_ALPHA);
        return;
    }
    ::KillTimer(m_hWnd, TIPS_TIMER_FADE);
    Forget(this);
    Close(0);
}

void CTipsDlg::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    m_PaintManager.RemovePreMessageFilter(this);
    // A toast whose window went another way (its owner destroyed) must not stay listed.
    Forget(this);
    delete this;
}

void ShowTips(HWND parent, const std::wstring& text)
{
    auto* tip = new CTipsDlg;
    constexpr DWORD style =
        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    // The toast never takes the keyboard: Alt+F4 pressed just after a refusal is meant for the
    // main window, not for the toast.
    if (tip->Create(parent, L"", style, WS_EX_NOACTIVATE, 0, 0, 0, 0) == nullptr)
        return;
    g_vecTips.push_back(tip);
    tip->SetTipText(text);
    tip->CenterWindow();
    tip->ShowWindow(true, false);
    ::SetTimer(tip->GetHWND(), TIPS_TIMER_SHOW, static_cast<UINT>(tip->m_nShowTime), nullptr);
}

void CloseAllTips()
{
    while (!g_vecTips.empty())
    {
        CTipsDlg* tip = g_vecTips.front();
        g_vecTips.erase(g_vecTips.begin());
        if (::IsWindow(tip->GetHWND()))
            tip->Close(1);
    }
}
