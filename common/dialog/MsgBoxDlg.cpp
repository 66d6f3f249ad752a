#include "common/dialog/MsgBoxDlg.h"

#include "platform/Gdi.h"

#include <algorithm>

using namespace DuiLib;

namespace
{
constexpr float kTwoThirds = 0.6666667f;
constexpr int kMeasureLimit = 9999;
constexpr int kShortWidth = 260;
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 213;
// Text margins of the skin: 30 each side, title row and buttons 130 together.
constexpr int kSideMargins = 60;
constexpr int kRowsHeight = 130;
} // namespace

DUI_BEGIN_MESSAGE_MAP(CMsgBoxDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CMsgBoxDlg::OnClick)
DUI_END_MESSAGE_MAP()

CMsgBoxDlg::CMsgBoxDlg(bool bOlderForm) : m_bOlderForm(bOlderForm) {}

LPCTSTR CMsgBoxDlg::GetWindowClassName() const
{
    return L"MsgBoxDlg";
}

CDuiString CMsgBoxDlg::GetSkinFile()
{
    return L"MsgBoxDlg.xml";
}

LRESULT CMsgBoxDlg::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

void CMsgBoxDlg::InitWindow()
{
    KeepFixedSize();
    m_pCloseBtn = m_PaintManager.FindControl(L"closeBtn");
    m_pMainTab = dynamic_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"mainTab"));
    OnCreateShadow();
}

int CMsgBoxDlg::CloseCodeOf(const CDuiString& name) const
{
    if (name == L"closeBtn")
        return MSGBOX_CLOSE;
    if (name == L"btnYes" || name == L"btnSingleYes")
        return MSGBOX_IDYES;
    if (name == L"btnNo")
        return MSGBOX_IDNO;
    if (name == L"btnOk" || name == L"btnSingleOk")
        return MSGBOX_IDOK;
    if (name == L"btnCancel")
        return MSGBOX_IDCANCEL;
    if (name == L"btnGo" && !m_bOlderForm)
        return MSGBOX_IDGO;
    return 0;
}

void CMsgBoxDlg::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const int code = CloseCodeOf(msg.pSender->GetName());
    if (code != 0)
        Close(static_cast<UINT>(code));
}

RECT CMsgBoxDlg::Measure(const CDuiString& text, int width)
{
    RECT rc{0, 0, width, kMeasureLimit};
    ::DrawTextW(m_hMeasureDC, text, -1, &rc, DT_CALCRECT | DT_WORDBREAK);
    return rc;
}

SIZE CMsgBoxDlg::FitWrapped(const CDuiString& text, const RECT& unwrapped)
{
    // The widest piece that cannot be broken; at least 1 so that the trial width grows.
    const int piece = std::max<int>(1, Measure(text, 1).right);
    int trial = (130 / piece) * piece;
    float previous = 0.01f;
    RECT rc{};
    for (;;)
    {
        rc = Measure(text, trial);
        const float ratio = static_cast<float>(static_cast<double>(rc.bottom + kRowsHeight) /
                                               static_cast<double>(rc.right + kSideMargins));
        if (ratio == previous)
            break;
        trial += piece;
        previous = ratio;
        if (!(ratio > kTwoThirds))
            break;
    }
    const int total = rc.right + kSideMargins + 2 * piece;
    const int widest = m_bOlderForm ? 480 : 380;
    SIZE size{};
    if (total < kMinWidth)
        size = SIZE{kMinWidth, Measure(text, kMinWidth - kSideMargins).bottom + kRowsHeight};
    else if (total > widest && m_bOlderForm)
        size = SIZE{widest, Measure(text, widest - kSideMargins).bottom + kRowsHeight};
    else if (total > widest)
        size = SIZE{widest, Measure(text, widest - kSideMargins).bottom + 2 * unwrapped.bottom + kRowsHeight};
    else
        size = SIZE{total, static_cast<int>(static_cast<float>(total) * kTwoThirds)};
    size.cy = std::max<LONG>(size.cy, kMinHeight);
    return size;
}

SIZE CMsgBoxDlg::FitToText(CLabelUI* label, const CDuiString& message)
{
    const RECT unwrapped = Measure(message, kMeasureLimit);
    if (unwrapped.right < kShortWidth)
    {
        label->SetTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return SIZE{320, 180};
    }
    CDuiString text = message;
    if (!m_bOlderForm)
    {
        // A first-line indent.
        text = CDuiString(L"    ") + message;
        label->SetText(text);
    }
    return FitWrapped(text, unwrapped);
}

void CMsgBoxDlg::SetMessage(LPCWSTR title, LPCWSTR message, int kind)
{
    auto* titleLabel = dynamic_cast<CLabelUI*>(m_PaintManager.FindControl(L"msgTitleLabel"));
    auto* label = dynamic_cast<CLabelUI*>(m_PaintManager.FindControl(L"msgLabel"));
    if (titleLabel == nullptr || label == nullptr || m_pMainTab == nullptr)
        return;
    const CDuiString text = message ? message : L"";
    titleLabel->SetText(title ? title : L"");
    label->SetText(text);

    m_hMeasureDC = m_PaintManager.GetPaintDC();
    const HGDIOBJ previous = ::SelectObject(m_hMeasureDC, m_PaintManager.GetFont(label->GetFont()));
    const SIZE size = FitToText(label, text);
    ::SelectObject(m_hMeasureDC, previous);
    m_hMeasureDC = nullptr;

    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE);
    m_pMainTab->SelectItem(kind);
    RECT caption{0, 0, 0, size.cy};
    m_PaintManager.SetCaptionRect(caption);
}

int CMsgBoxDlg::ShowMsgBox(HWND parent, LPCWSTR title, LPCWSTR message, int kind)
{
    CMsgBoxDlg box;
    // A box needs a visible owner (the main window may be hidden in the tray).
    if (parent != nullptr && !box.m_bOlderForm && !::IsWindowVisible(parent))
        ::ShowWindow(parent, SW_SHOW);
    constexpr DWORD style =
        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    if (box.Create(parent, title, style, WS_EX_APPWINDOW) == nullptr)
        return 0;
    box.SetMessage(title, message, kind);
    box.CenterWindow();
    return static_cast<int>(box.ShowModal());
}
