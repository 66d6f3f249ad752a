#include "PaintManagerUI.h"

#include "AttributeParse.h"
#include "RenderEngine.h"
#include "SkinSource.h"
#include "ToolTipWnd.h"

#include "platform/Input.h"
#include "platform/Kernel.h"
#include "platform/Layered.h"
#include "platform/Text.h"

#include <algorithm>
#include <cwchar>

namespace DuiLib
{
namespace
{
// Posted to the window to deliver queued notifications and free removed controls. Far above
// the programs' own private messages (WM_USER + 1000 and up).
constexpr UINT kMsgFlush = WM_APP + 0x3FF0;
// Window timer ids of control timers start here, above the programs' own timer ids.
constexpr UINT_PTR kTimerBase = 0x10000;
// Where a press that lost the capture is said to end: outside every control, so no click.
constexpr POINT kNowhere{-32768, -32768};

std::vector<CPaintManagerUI*>& Managers()
{
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

template <typename T> bool AddUnique(std::vector<T*>& list, T* item)
{
    if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end())
        return false;
    list.push_back(item);
    return true;
}

template <typename T> bool RemoveItem(std::vector<T*>& list, T* item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

// True when control is gone or lies inside the subtree of gone.
bool IsInside(const CControlUI* control, const CControlUI* gone)
{
    for (const CControlUI* c = control; c != nullptr; c = c->GetParent())
    {
        if (c == gone)
            return true;
    }
    return false;
}

CControlUI* FindByName(CControlUI* control, LPVOID data)
{
    return control->GetName() == static_cast<LPCTSTR>(data) ? control : nullptr;
}

CControlUI* FindByPoint(CControlUI* control, LPVOID)
{
    return control;
}

CControlUI* CollectTabStop(CControlUI* control, LPVOID data)
{
    if ((control->GetControlFlags() & UIFLAG_TABSTOP) && control->IsKeyboardEnabled())
        static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

CDuiString Lower(LPCTSTR text)
{
    CDuiString result(text);
    result.MakeLower();
    return result;
}
} // namespace

struct CPaintManagerUI::TimerInfo
{
    CControlUI* pSender;
    UINT nLocalID;
    UINT_PTR uWinTimer;
};

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI()
{
    m_pToolTip.reset();
    delete m_pRoot;
    m_pRoot = nullptr;
    FlushDelayedCleanup();
    RemoveAllTimers();
    RemoveAllImages();
    ReleaseFonts();
    if (m_hDcPaint && m_hWndPaint)
        ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    else if (m_hDcPaint)
        platform::DeleteCairoDC(m_hDcPaint);
    if (m_measureCairo)
        cairo_destroy(m_measureCairo);
    if (m_measureSurface)
        cairo_surface_destroy(m_measureSurface);
    if (m_offscreen)
        cairo_surface_destroy(m_offscreen);
    RemoveItem(Managers(), this);
}

void CPaintManagerUI::Init(HWND hWnd)
{
    m_hWndPaint = hWnd;
    AddUnique(Managers(), this);
    if (m_nOpacity < 255)
        ApplyOpacity();
}

HDC CPaintManagerUI::GetPaintDC()
{
    if (m_hDcPaint)
        return m_hDcPaint;
    if (m_hWndPaint)
        m_hDcPaint = ::GetDC(m_hWndPaint);
    if (m_hDcPaint == nullptr)
    {
        // No window (yet): measure on a private surface.
        m_measureSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        m_measureCairo = cairo_create(m_measureSurface);
        m_hDcPaint = platform::CreateCairoDC(m_measureCairo);
    }
    return m_hDcPaint;
}

// ---- Process-wide skin source -------------------------------------------------------------

void CPaintManagerUI::SetInstance(HINSTANCE hInst)
{
    CSkinSource::SetInstance(hInst);
}

HINSTANCE CPaintManagerUI::GetInstance()
{
    return CSkinSource::GetInstance();
}

CDuiString CPaintManagerUI::GetInstancePath()
{
    return CSkinSource::GetInstancePath();
}

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath)
{
    CSkinSource::SetResourcePath(pStrPath);
}

const CDuiString& CPaintManagerUI::GetResourcePath()
{
    static thread_local CDuiString path;
    path = CSkinSource::GetResourcePath();
    return path;
}

bool CPaintManagerUI::SetResourceZip(LPCTSTR pstrZip, bool)
{
    return CSkinSource::SetZipFile(pstrZip);
}

bool CPaintManagerUI::SetResourceZip(LPCVOID pVoid, unsigned int len)
{
    return CSkinSource::SetZipMemory(pVoid, len);
}

const CDuiString& CPaintManagerUI::GetResourceZip()
{
    static thread_local CDuiString name;
    name = CSkinSource::GetZipName();
    return name;
}

bool CPaintManagerUI::IsResourceZipSet()
{
    return CSkinSource::IsZipSet();
}

bool CPaintManagerUI::LoadResourceFile(LPCTSTR pstrName, std::vector<BYTE>& data)
{
    return CSkinSource::Load(pstrName, data);
}

void CPaintManagerUI::MessageLoop()
{
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (!CPaintManagerUI::TranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::TranslateMessage(const LPMSG pMsg)
{
    if (pMsg == nullptr || pMsg->hwnd == nullptr)
        return false;
    const std::vector<CPaintManagerUI*> managers = Managers();
    for (CPaintManagerUI* manager : managers)
    {
        if (std::find(Managers().begin(), Managers().end(), manager) == Managers().end())
            continue;
        const HWND hwnd = manager->GetPaintWindow();
        if (hwnd != pMsg->hwnd && !::IsChild(hwnd, pMsg->hwnd))
            continue;
        LRESULT lRes = 0;
        if (manager->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes))
            return true;
    }
    return false;
}
// ---- Window settings ----------------------------------------------------------------------

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize = SIZE{cx, cy};
    if (m_pRoot == nullptr && m_hWndPaint)
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CPaintManagerUI::SetOpacity(BYTE nOpacity)
{
    m_nOpacity = nOpacity;
    ApplyOpacity();
    Invalidate();
}

void CPaintManagerUI::ApplyOpacity()
{
    if (m_hWndPaint == nullptr)
        return;
    const auto exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWndPaint, GWL_EXSTYLE));
    if ((exStyle & WS_EX_LAYERED) == 0)
    {
        if (m_nOpacity == 255)
            return;
        ::SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, static_cast<LONG>(exStyle | WS_EX_LAYERED));
    }
    ::SetLayeredWindowAttributes(m_hWndPaint, 0, m_nOpacity, LWA_ALPHA);
}

// ---- Fonts --------------------------------------------------------------------------------

namespace
{
TFontInfo MakeFont(LPCTSTR face, int size, bool bold, bool underline, bool italic)
{
    LOGFONTW lf{};
    lstrcpynW(lf.lfFaceName, face ? face : L"", LF_FACESIZE);
    lf.lfHeight = -size;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    TFontInfo info;
    info.hFont = ::CreateFontIndirectW(&lf);
    info.sFontName = face;
    info.iSize = size;
    info.bBold = bold;
    info.bUnderline = underline;
    info.bItalic = italic;
    return info;
}

void FreeFont(TFontInfo& info)
{
    if (info.hFont)
        ::DeleteObject(reinterpret_cast<HGDIOBJ>(info.hFont));
    info.hFont = nullptr;
}
} // namespace

HFONT CPaintManagerUI::AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic, bool isDefault)
{
    TFontInfo info = MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    auto found = m_fonts.find(id);
    if (found != m_fonts.end())
        FreeFont(found->second);
    m_fonts[id] = info;
    if (isDefault)
    {
        FreeFont(m_defaultFont);
        m_defaultFont = MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    }
    return info.hFont;
}

const TFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    if (m_defaultFont.hFont == nullptr)
        m_defaultFont = MakeFont(L"Microsoft YaHei", 12, false, false, false);
    return &m_defaultFont;
}

HFONT CPaintManagerUI::GetFont(int id)
{
    const TFontInfo* info = GetFontInfo(id);
    return info ? info->hFont : GetDefaultFontInfo()->hFont;
}

const TFontInfo* CPaintManagerUI::GetFontInfo(int id)
{
    const auto found = m_fonts.find(id);
    return found == m_fonts.end() ? nullptr : &found->second;
}

HFONT CPaintManagerUI::GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    for (const TFontInfo& info : m_styledFonts)
    {
        if (info.sFontName == pStrFontName && info.iSize == nSize && info.bBold == bBold &&
            info.bUnderline == bUnderline && info.bItalic == bItalic)
            return info.hFont;
    }
    m_styledFonts.push_back(MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic));
    return m_styledFonts.back().hFont;
}

void CPaintManagerUI::ReleaseFonts()
{
    for (auto& [id, info] : m_fonts)
        FreeFont(info);
    for (TFontInfo& info : m_styledFonts)
        FreeFont(info);
    FreeFont(m_defaultFont);
    m_fonts.clear();
    m_styledFonts.clear();
}

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList)
{
    m_defaultAttrs[Lower(pStrControlName)] = pStrControlAttrList;
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const
{
    const auto found = m_defaultAttrs.find(Lower(pStrControlName));
    return found == m_defaultAttrs.end() ? nullptr : found->second.GetData();
}

// ---- Images -------------------------------------------------------------------------------

const TImageInfo* CPaintManagerUI::GetImageEx(LPCTSTR bitmap)
{
    const CDuiString key = Lower(bitmap);
    auto found = m_images.find(key);
    if (found == m_images.end())
    {
        // A missing image is remembered too, so that painting does not look for it again.
        TImageInfo image;
        CRenderEngine::LoadImage(bitmap, image);
        found = m_images.emplace(key, image).first;
    }
    return found->second.surface ? &found->second : nullptr;
}

void CPaintManagerUI::RemoveAllImages()
{
    for (auto& [name, image] : m_images)
        CRenderEngine::FreeImage(image);
    m_images.clear();
}

// ---- Controls -----------------------------------------------------------------------------

bool CPaintManagerUI::AttachDialog(CControlUI* pControl)
{
    SetFocus(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    // We may be inside an event of the old tree: it goes once the current message is done.
    if (m_pRoot)
        AddDelayedCleanup(m_pRoot);
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    Invalidate();
    return InitControls(pControl);
}

CControlUI* CPaintManagerUI::DetachRoot()
{
    SetFocus(nullptr);
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    return root;
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent)
{
    if (pControl == nullptr)
        return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl)
{
    if (pControl == nullptr)
        return;
    if (m_pToolTip && IsInside(m_pToolTip->GetControl(), pControl))
        HideToolTip();
    if (IsInside(m_pEventHover, pControl))
        m_pEventHover = nullptr;
    if (IsInside(m_pEventClick, pControl))
        m_pEventClick = nullptr;
    if (IsInside(m_pFocus, pControl))
        m_pFocus = nullptr;
    if (m_pRoot == pControl)
        m_pRoot = nullptr;
    for (auto it = m_timers.begin(); it != m_timers.end();)
    {
        if (!IsInside((*it)->pSender, pControl))
        {
            ++it;
            continue;
        }
        if (m_hWndPaint)
            ::KillTimer(m_hWndPaint, (*it)->uWinTimer);
        it = m_timers.erase(it);
    }
    std::erase_if(m_asyncNotify, [&](const TNotifyUI& msg) { return IsInside(msg.pSender, pControl); });
    for (auto& [name, group] : m_optionGroups)
        std::erase_if(group, [&](CControlUI* option) { return IsInside(option, pControl); });
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == nullptr)
        return;
    ReapObjects(pControl);
    if (m_hWndPaint == nullptr || !::IsWindow(m_hWndPaint))
    {
        delete pControl;
        return;
    }
    m_delayedCleanup.push_back(pControl);
    if (!m_bFlushPosted)
        m_bFlushPosted = ::PostMessageW(m_hWndPaint, kMsgFlush, 0, 0) != FALSE;
}

void CPaintManagerUI::FlushDelayedCleanup()
{
    std::vector<CControlUI*> pending;
    pending.swap(m_delayedCleanup);
    for (CControlUI* control : pending)
        delete control;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    return FindSubControlByPoint(m_pRoot, pt);
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const
{
    return FindSubControlByName(m_pRoot, pstrName);
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const
{
    if (pParent == nullptr)
        return nullptr;
    return pParent->FindControl(&FindByPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const
{
    if (pParent == nullptr || pstrName == nullptr)
        return nullptr;
    return pParent->FindControl(&FindByName, const_cast<LPTSTR>(pstrName), UIFIND_ALL);
}

bool CPaintManagerUI::AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    return AddUnique(m_optionGroups[pStrGroupName], pControl);
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(LPCTSTR pStrGroupName)
{
    const auto found = m_optionGroups.find(pStrGroupName);
    return found == m_optionGroups.end() ? nullptr : &found->second;
}

void CPaintManagerUI::RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl)
{
    const auto found = m_optionGroups.find(pStrGroupName);
    if (found == m_optionGroups.end())
        return;
    RemoveItem(found->second, pControl);
    if (found->second.empty())
        m_optionGroups.erase(found);
}

// ---- Focus, capture, timers ---------------------------------------------------------------

void CPaintManagerUI::SetFocus(CControlUI* pControl)
{
    if (pControl == m_pFocus)
        return;
    if (m_pFocus)
    {
        CControlUI* old = m_pFocus;
        m_pFocus = nullptr;
        DispatchEvent(old, UIEVENT_KILLFOCUS, m_ptLastMousePos, 0);
        SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (pControl == nullptr || pControl->GetManager() != this || !pControl->IsVisible() ||
        !pControl->IsEnabled())
        return;
    m_pFocus = pControl;
    DispatchEvent(pControl, UIEVENT_SETFOCUS, m_ptLastMousePos, 0);
    if (m_pFocus == pControl)
        SendNotify(pControl, DUI_MSGTYPE_SETFOCUS);
}

bool CPaintManagerUI::SetNextTabControl(bool bForward)
{
    if (m_pRoot == nullptr)
        return false;
    std::vector<CControlUI*> stops;
    m_pRoot->FindControl(&CollectTabStop, &stops, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    if (stops.empty())
        return false;
    const auto current = std::find(stops.begin(), stops.end(), m_pFocus);
    const int count = static_cast<int>(stops.size());
    int index = current == stops.end() ? (bForward ? 0 : count - 1)
                                       : static_cast<int>(current - stops.begin()) + (bForward ? 1 : -1);
    index = (index + count) % count;
    SetFocus(stops[static_cast<std::size_t>(index)]);
    return true;
}

void CPaintManagerUI::SetCapture()
{
    m_bMouseCapture = true;
    if (m_hWndPaint)
        ::SetCapture(m_hWndPaint);
}

void CPaintManagerUI::ReleaseCapture()
{
    // Cleared first: the WM_CAPTURECHANGED that follows is then known to be our own.
    const bool held = m_bMouseCapture;
    m_bMouseCapture = false;
    if (held && m_hWndPaint && ::GetCapture() == m_hWndPaint)
        ::ReleaseCapture();
}

void CPaintManagerUI::OnCaptureChanged(LPARAM lParam)
{
    if (!m_bMouseCapture || reinterpret_cast<HWND>(lParam) == m_hWndPaint)
        return;
    // Another window took the mouse mid-press: the press ends without a click.
    m_bMouseCapture = false;
    CControlUI* control = m_pEventClick;
    m_pEventClick = nullptr;
    DispatchEvent(control, UIEVENT_BUTTONUP, kNowhere, 0);
}

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    if (pControl == nullptr || m_hWndPaint == nullptr)
        return false;
    for (const auto& timer : m_timers)
    {
        if (timer->pSender == pControl && timer->nLocalID == nTimerID)
            return ::SetTimer(m_hWndPaint, timer->uWinTimer, uElapse, nullptr) != 0;
    }
    const UINT_PTR winTimer = kTimerBase + (++m_nextTimerId);
    if (::SetTimer(m_hWndPaint, winTimer, uElapse, nullptr) == 0)
        return false;
    m_timers.push_back(std::make_unique<TimerInfo>(TimerInfo{pControl, nTimerID, winTimer}));
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
    {
        if ((*it)->pSender == pControl && (*it)->nLocalID == nTimerID)
        {
            if (m_hWndPaint)
                ::KillTimer(m_hWndPaint, (*it)->uWinTimer);
            m_timers.erase(it);
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl)
{
    for (auto it = m_timers.begin(); it != m_timers.end();)
    {
        if ((*it)->pSender != pControl)
        {
            ++it;
            continue;
        }
        if (m_hWndPaint)
            ::KillTimer(m_hWndPaint, (*it)->uWinTimer);
        it = m_timers.erase(it);
    }
}

void CPaintManagerUI::RemoveAllTimers()
{
    if (m_hWndPaint && ::IsWindow(m_hWndPaint))
    {
        for (const auto& timer : m_timers)
            ::KillTimer(m_hWndPaint, timer->uWinTimer);
    }
    m_timers.clear();
}

void CPaintManagerUI::OnTimer(WPARAM wParam)
{
    for (const auto& timer : m_timers)
    {
        if (timer->uWinTimer != wParam)
            continue;
        // The handler may kill timers, so nothing of the list is used after it.
        CControlUI* sender = timer->pSender;
        const UINT localId = timer->nLocalID;
        DispatchEvent(sender, UIEVENT_TIMER, m_ptLastMousePos, localId,
                      static_cast<LPARAM>(::GetTickCount()));
        return;
    }
}

// ---- Painting -----------------------------------------------------------------------------

void CPaintManagerUI::Invalidate()
{
    if (m_hWndPaint)
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::Invalidate(const RECT& rcItem)
{
    if (m_hWndPaint && !CDuiRect(rcItem).IsEmpty())
        ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::UpdateLayout()
{
    if (m_pRoot == nullptr || !m_bUpdateNeeded)
        return;
    m_bUpdateNeeded = false;
    RECT client{};
    if (m_hWndPaint)
        ::GetClientRect(m_hWndPaint, &client);
    if (CDuiRect(client).IsEmpty())
        return;
    m_pRoot->SetPos(client, true);
    if (m_bFirstLayout && m_pRoot)
    {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWINIT);
    }
}

void CPaintManagerUI::RenderTo(cairo_t* cr, const RECT& rcPaint)
{
    HDC dc = platform::CreateCairoDC(cr);
    cairo_save(cr);
    cairo_rectangle(cr, rcPaint.left, rcPaint.top, rcPaint.right - rcPaint.left,
                    rcPaint.bottom - rcPaint.top);
    cairo_clip(cr);
    // Transparent where nothing paints, so layered windows show through.
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (m_pRoot)
        m_pRoot->DoPaint(dc, rcPaint);
    PaintOverlays(cr);
    cairo_restore(cr);
    platform::DeleteCairoDC(dc);
}

void CPaintManagerUI::PaintOverlays(cairo_t* cr)
{
    RECT client{};
    if (m_paintOverlays.empty() || !::GetClientRect(m_hWndPaint, &client))
        return;
    for (IPaintOverlayUI* overlay : m_paintOverlays)
    {
        cairo_save(cr);
        overlay->PaintOverlay(cr, client);
        cairo_restore(cr);
    }
}

void CPaintManagerUI::OnPaint()
{
    UpdateLayout();
    PAINTSTRUCT ps{};
    HDC hdc = ::BeginPaint(m_hWndPaint, &ps);
    if (hdc == nullptr)
        return;
    RECT client{};
    ::GetClientRect(m_hWndPaint, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    RECT area = ps.rcPaint;
    if (m_offscreen == nullptr || cairo_image_surface_get_width(m_offscreen) != width ||
        cairo_image_surface_get_height(m_offscreen) != height)
    {
        // A new back buffer holds nothing yet: all of it is drawn.
        if (m_offscreen)
            cairo_surface_destroy(m_offscreen);
        m_offscreen =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 1), std::max(height, 1));
        area = client;
    }
    cairo_t* back = cairo_create(m_offscreen);
    RenderTo(back, area);
    cairo_destroy(back);
    cairo_t* cr = platform::CairoOf(hdc);
    if (cr)
    {
        cairo_save(cr);
        cairo_rectangle(cr, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                        ps.rcPaint.bottom - ps.rcPaint.top);
        cairo_clip(cr);
        cairo_set_source_surface(cr, m_offscreen, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    ::EndPaint(m_hWndPaint, &ps);
}

// ---- Notifications and filters ------------------------------------------------------------

bool CPaintManagerUI::AddNotifier(INotifyUI* pControl)
{
    return AddUnique(m_notifiers, pControl);
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pControl)
{
    return RemoveItem(m_notifiers, pControl);
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam,
                                 bool bAsync)
{
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync)
{
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (bAsync)
    {
        m_asyncNotify.push_back(Msg);
        if (!m_bFlushPosted && m_hWndPaint)
            m_bFlushPosted = ::PostMessageW(m_hWndPaint, kMsgFlush, 0, 0) != FALSE;
        return;
    }
    // A notifier may remove others (or itself) while it runs.
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers)
    {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end())
            notifier->Notify(Msg);
    }
}

void CPaintManagerUI::FlushAsyncNotify()
{
    while (!m_asyncNotify.empty())
    {
        TNotifyUI msg = m_asyncNotify.front();
        m_asyncNotify.erase(m_asyncNotify.begin());
        SendNotify(msg, false);
    }
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return AddUnique(m_messageFilters, pFilter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveItem(m_messageFilters, pFilter);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter)
{
    return AddUnique(m_preMessageFilters, pFilter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveItem(m_preMessageFilters, pFilter);
}

bool CPaintManagerUI::AddPaintOverlay(IPaintOverlayUI* pOverlay)
{
    return AddUnique(m_paintOverlays, pOverlay);
}

bool CPaintManagerUI::RemovePaintOverlay(IPaintOverlayUI* pOverlay)
{
    return RemoveItem(m_paintOverlays, pOverlay);
}

CPaintManagerUI* CPaintManagerUI::FromWindow(HWND hWnd)
{
    const auto& managers = Managers();
    const auto found = std::find_if(managers.begin(), managers.end(), [hWnd](const CPaintManagerUI* m) {
        return hWnd != nullptr && m->m_hWndPaint == hWnd;
    });
    return found == managers.end() ? nullptr : *found;
}

namespace
{
bool RunFilters(const std::vector<IMessageFilterUI*>& filters, UINT uMsg, WPARAM wParam, LPARAM lParam,
                LRESULT& lRes)
{
    const std::vector<IMessageFilterUI*> copy = filters;
    for (IMessageFilterUI* filter : copy)
    {
        if (std::find(filters.begin(), filters.end(), filter) == filters.end())
            continue;
        bool bHandled = false;
        const LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled)
        {
            lRes = result;
            return true;
        }
    }
    return false;
}
} // namespace

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    return RunFilters(m_preMessageFilters, uMsg, wParam, lParam, lRes);
}

// ---- Message handling ---------------------------------------------------------------------

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (m_hWndPaint == nullptr)
        return false;
    if (RunFilters(m_messageFilters, uMsg, wParam, lParam, lRes))
        return true;
    lRes = 0;
    switch (uMsg)
    {
    case kMsgFlush:
        m_bFlushPosted = false;
        FlushAsyncNotify();
        FlushDelayedCleanup();
        return true;
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_SIZE:
        if (m_pRoot)
            m_pRoot->NeedUpdate();
        m_bUpdateNeeded = true;
        Invalidate();
        return false;
    case WM_TIMER:
        if (wParam < kTimerBase)
            return false;
        OnTimer(wParam);
        return true;
    case WM_DESTROY:
        RemoveAllTimers();
        return false;
    case WM_NCDESTROY:
        OnNcDestroy();
        return false;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(lParam);
        return false;
    case WM_SETCURSOR:
        if (!OnSetCursor(lParam))
            return false;
        lRes = TRUE;
        return true;
    case WM_KILLFOCUS:
        m_bShiftDown = false;
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            HideToolTip();
        return false;
    default:
        break;
    }
    if (uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST)
        return HandleMouseMessage(uMsg, wParam, lParam);
    if (uMsg == WM_MOUSELEAVE || uMsg == WM_MOUSEHOVER)
        return HandleMouseMessage(uMsg, wParam, lParam);
    if (uMsg == WM_KEYDOWN || uMsg == WM_KEYUP || uMsg == WM_CHAR)
        return HandleKeyMessage(uMsg, wParam, lParam);
    return false;
}

void CPaintManagerUI::OnNcDestroy()
{
    if (m_hDcPaint)
        ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hDcPaint = nullptr;
    m_timers.clear();
    m_asyncNotify.clear();
    m_bFlushPosted = false;
    m_hWndPaint = nullptr;
    FlushDelayedCleanup();
    RemoveItem(Managers(), this);
}

void CPaintManagerUI::DispatchEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam,
                                    TCHAR chKey)
{
    if (pControl == nullptr)
        return;
    TEventUI event;
    event.Type = type;
    event.pSender = pControl;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.chKey = chKey;
    event.wKeyState = static_cast<WORD>(wParam);
    event.wParam = wParam;
    event.lParam = lParam;
    pControl->Event(event);
}

void CPaintManagerUI::SetHover(CControlUI* pNewHover, POINT pt, WPARAM wParam)
{
    if (pNewHover == m_pEventHover)
        return;
    HideToolTip();
    CControlUI* old = m_pEventHover;
    m_pEventHover = pNewHover;
    DispatchEvent(old, UIEVENT_MOUSELEAVE, pt, wParam);
    // The leave handler may have removed the new control (it is reaped then).
    if (m_pEventHover == pNewHover)
        DispatchEvent(pNewHover, UIEVENT_MOUSEENTER, pt, wParam);
}

void CPaintManagerUI::ShowToolTip(POINT pt)
{
    if (m_pEventHover == nullptr || m_pEventHover->GetToolTip().IsEmpty())
        return;
    if (m_pToolTip == nullptr)
        m_pToolTip = std::make_unique<CToolTipWnd>(this);
    m_pToolTip->Show(m_pEventHover, pt);
}

void CPaintManagerUI::HideToolTip()
{
    if (m_pToolTip)
        m_pToolTip->Hide();
}

void CPaintManagerUI::TrackMouse()
{
    if (m_bMouseTracking || m_bMouseCapture || m_hWndPaint == nullptr)
        return;
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE | TME_HOVER, m_hWndPaint, HOVER_DEFAULT};
    m_bMouseTracking = ::TrackMouseEvent(&track) != FALSE;
}

bool CPaintManagerUI::OnSetCursor(LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT || m_pRoot == nullptr)
        return false;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWndPaint, &pt);
    UpdateLayout();
    CControlUI* control = m_bMouseCapture && m_pEventClick ? m_pEventClick : FindControl(pt);
    if (control == nullptr || !control->IsEnabled())
        return false;
    if (LPCWSTR id = control->GetCursorId())
    {
        ::SetCursor(::LoadCursorW(nullptr, id));
        return true;
    }
    if ((control->GetControlFlags() & UIFLAG_SETCURSOR) == 0)
        return false;
    // The arrow unless the control picks another.
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    DispatchEvent(control, UIEVENT_SETCURSOR, pt, 0);
    return true;
}

void CPaintManagerUI::OnMouseMove(POINT pt, WPARAM wParam)
{
    m_ptLastMousePos = pt;
    TrackMouse();
    SetHover(FindControl(pt), pt, wParam);
    DispatchEvent(m_pEventClick ? m_pEventClick : m_pEventHover, UIEVENT_MOUSEMOVE, pt, wParam);
}

void CPaintManagerUI::OnButtonDown(UINT uMsg, POINT pt, WPARAM wParam)
{
    m_ptLastMousePos = pt;
    HideToolTip();
    CControlUI* control = FindControl(pt);
    if (control == nullptr)
        return;
    m_pEventClick = control;
    control->SetFocus();
    if (m_pEventClick == nullptr)
        return;
    SetCapture();
    DispatchEvent(m_pEventClick, uMsg == WM_LBUTTONDBLCLK ? UIEVENT_DBLCLICK : UIEVENT_BUTTONDOWN, pt,
                  wParam);
}

void CPaintManagerUI::OnButtonUp(POINT pt, WPARAM wParam)
{
    m_ptLastMousePos = pt;
    ReleaseCapture();
    CControlUI* control = m_pEventClick;
    m_pEventClick = nullptr;
    DispatchEvent(control, UIEVENT_BUTTONUP, pt, wParam);
    // Leaving was not reported during the capture: a release outside hears of it now.
    m_bMouseTracking = false;
    TrackMouse();
}

void CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    CControlUI* target = m_pEventHover ? m_pEventHover : m_pFocus;
    DispatchEvent(target, UIEVENT_SCROLLWHEEL, m_ptLastMousePos, wParam, lParam);
}

bool CPaintManagerUI::HandleMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Input before the first paint still meets a laid-out tree.
    UpdateLayout();
    const POINT pt = CDuiPoint(lParam);
    switch (uMsg)
    {
    case WM_MOUSEMOVE:
        OnMouseMove(pt, wParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(uMsg, pt, wParam);
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(pt, wParam);
        return true;
    case WM_RBUTTONDOWN:
        m_ptLastMousePos = pt;
        HideToolTip();
        DispatchEvent(FindControl(pt), UIEVENT_RBUTTONDOWN, pt, wParam);
        return true;
    case WM_MOUSEWHEEL:
        HideToolTip();
        OnMouseWheel(wParam, lParam);
        return true;
    case WM_MOUSELEAVE:
        m_bMouseTracking = false;
        if (!m_bMouseCapture)
            SetHover(nullptr, m_ptLastMousePos, wParam);
        return true;
    case WM_MOUSEHOVER:
        m_bMouseTracking = false;
        DispatchEvent(m_pEventHover, UIEVENT_MOUSEHOVER, pt, wParam);
        ShowToolTip(pt);
        return true;
    default:
        return false;
    }
}

bool CPaintManagerUI::HandleKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_KEYDOWN)
        HideToolTip();
    if (wParam == static_cast<WPARAM>(VK_SHIFT) && uMsg != WM_CHAR)
        m_bShiftDown = uMsg == WM_KEYDOWN;
    if (uMsg == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_TAB))
        return SetNextTabControl(!m_bShiftDown);
    if (m_pFocus == nullptr)
        return false;
    const int type = uMsg == WM_KEYDOWN ? UIEVENT_KEYDOWN : uMsg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR;
    DispatchEvent(m_pFocus, type, m_ptLastMousePos, wParam, lParam, static_cast<TCHAR>(wParam));
    return true;
}
} // namespace DuiLib
