#include "ui/WindowImplBase.h"

#include "platform/Resources.h"

namespace DuiLib
{
DUI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, WindowImplBase::OnClick)
DUI_END_MESSAGE_MAP()

WindowImplBase::~WindowImplBase() = default;

LPCTSTR WindowImplBase::GetSuperClassName() const
{
    return nullptr;
}

UINT WindowImplBase::GetClassStyle() const
{
    return CS_DBLCLKS;
}

void WindowImplBase::OnFinalMessage(HWND hWnd)
{
    m_PaintManager.RemoveMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    CWindowWnd::OnFinalMessage(hWnd);
}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    // The common names of a skin's system buttons.
    const CDuiString name = msg.pSender ? msg.pSender->GetName() : CDuiString();
    if (name == L"closebtn")
        Close(IDCANCEL);
    else if (name == L"minbtn")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

CDuiString WindowImplBase::GetSkinFolder()
{
    return CDuiString();
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (wParam == static_cast<WPARAM>(VK_ESCAPE))
    {
        // Escape means cancel: a modal caller must not read it as a confirmation.
        Close(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

UILIB_RESOURCETYPE WindowImplBase::GetResourceType() const
{
    return UILIB_FILE;
}

CDuiString WindowImplBase::GetZIPFileName() const
{
    return CDuiString();
}

UINT WindowImplBase::GetResourceID() const
{
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (::IsIconic(m_hWnd))
        bHandled = FALSE;
    return TRUE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&)
{
    // The skin draws the whole window: no frame.
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT WindowImplBase::SizeBoxHitTest(POINT pt, const RECT& client) const
{
    const RECT box = const_cast<CPaintManagerUI&>(m_PaintManager).GetSizeBox();
    const bool left = box.left > 0 && pt.x < client.left + box.left;
    const bool right = box.right > 0 && pt.x >= client.right - box.right;
    const bool top = box.top > 0 && pt.y < client.top + box.top;
    const bool bottom = box.bottom > 0 && pt.y >= client.bottom - box.bottom;
    if (top)
        return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (bottom)
        return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left)
        return HTLEFT;
    if (right)
        return HTRIGHT;
    return HTNOWHERE;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    RECT window{};
    RECT client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    const POINT pt{GET_X_LPARAM(lParam) - window.left, GET_Y_LPARAM(lParam) - window.top};
    if (!::IsZoomed(m_hWnd))
    {
        const LRESULT edge = SizeBoxHitTest(pt, client);
        if (edge != HTNOWHERE)
            return edge;
    }
    const RECT caption = m_PaintManager.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
        pt.y < caption.bottom)
    {
        m_PaintManager.UpdateLayout();
        CControlUI* control = m_PaintManager.FindControl(pt);
        if (control == nullptr || !control->GetIgnoreCaption())
            return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    auto* info = reinterpret_cast<LPMINMAXINFO>(lParam);
    const RECT work = GetWorkAreaRect();
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
    const SIZE minimum = m_PaintManager.GetMinInfo();
    const SIZE maximum = m_PaintManager.GetMaxInfo();
    if (minimum.cx > 0)
        info->ptMinTrackSize.x = minimum.cx;
    if (minimum.cy > 0)
        info->ptMinTrackSize.y = minimum.cy;
    if (maximum.cx > 0)
        info->ptMaxTrackSize.x = maximum.cx;
    if (maximum.cy > 0)
        info->ptMaxTrackSize.y = maximum.cy;
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if ((wParam & 0xFFF0) == SC_CLOSE)
    {
        SendMessage(WM_CLOSE);
        return 0;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LONG WindowImplBase::GetStyle()
{
    // The skin draws caption and frame itself.
    const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    return static_cast<LONG>((static_cast<DWORD>(style) & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

void WindowImplBase::PrepareSkinSource()
{
    const CDuiString folder = GetSkinFolder();
    switch (GetResourceType())
    {
    case UILIB_ZIP:
        if (!folder.IsEmpty())
            CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + folder);
        CPaintManagerUI::SetResourceZip(GetZIPFileName(), true);
        break;
    case UILIB_ZIPRESOURCE: {
        // The embedded zip is opened once per process; later windows share it.
        if (CPaintManagerUI::GetResourceZip() == L"membuffer")
            break;
        const auto data = platform::FindResourceData(L"ZIPRES", static_cast<WORD>(GetResourceID()));
        if (!data.empty())
            CPaintManagerUI::SetResourceZip(data.data(), static_cast<unsigned int>(data.size()));
        break;
    }
    case UILIB_FILE:
    case UILIB_RESOURCE:
    default:
        if (!folder.IsEmpty())
            CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + folder);
        break;
    }
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetWindowLongW(m_hWnd, GWL_STYLE, GetStyle());
    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddMessageFilter(this);
    PrepareSkinSource();
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), nullptr, this, &m_PaintManager);
    if (root == nullptr)
        return -1;
    m_PaintManager.AttachDialog(root);
    m_PaintManager.AddNotifier(this);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::DispatchWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    switch (uMsg)
    {
    case WM_CREATE:
        return OnCreate(uMsg, wParam, lParam, bHandled);
    case WM_CLOSE:
        return OnClose(uMsg, wParam, lParam, bHandled);
    case WM_DESTROY:
        return OnDestroy(uMsg, wParam, lParam, bHandled);
    case WM_NCACTIVATE:
        return OnNcActivate(uMsg, wParam, lParam, bHandled);
    case WM_NCCALCSIZE:
        return OnNcCalcSize(uMsg, wParam, lParam, bHandled);
    case WM_NCPAINT:
        return OnNcPaint(uMsg, wParam, lParam, bHandled);
    case WM_NCHITTEST:
        return OnNcHitTest(uMsg, wParam, lParam, bHandled);
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEWHEEL:
        return OnMouseWheel(uMsg, wParam, lParam, bHandled);
    case WM_SIZE:
        return OnSize(uMsg, wParam, lParam, bHandled);
    case WM_CHAR:
        return OnChar(uMsg, wParam, lParam, bHandled);
    case WM_SYSCOMMAND:
        return OnSysCommand(uMsg, wParam, lParam, bHandled);
    case WM_KEYDOWN:
        return OnKeyDown(uMsg, wParam, lParam, bHandled);
    case WM_KILLFOCUS:
        return OnKillFocus(uMsg, wParam, lParam, bHandled);
    case WM_SETFOCUS:
        return OnSetFocus(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONUP:
        return OnLButtonUp(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONDOWN:
        return OnLButtonDown(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEMOVE:
        return OnMouseMove(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEHOVER:
        return OnMouseHover(uMsg, wParam, lParam, bHandled);
    default:
        bHandled = FALSE;
        return 0;
    }
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    BOOL bHandled = TRUE;
    LRESULT lRes = DispatchWindowMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;
    bHandled = TRUE;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    LoopDispatch(msg);
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool&)
{
    if (uMsg == WM_KEYDOWN &&
        (wParam == static_cast<WPARAM>(VK_RETURN) || wParam == static_cast<WPARAM>(VK_ESCAPE)))
        return ResponseDefaultKeyEvent(wParam);
    return FALSE;
}

CControlUI* WindowImplBase::CreateControl(LPCTSTR)
{
    return nullptr;
}
} // namespace DuiLib
