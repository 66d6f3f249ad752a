// The manager's life with its window, the process-wide skin source and the message loop.
// The other concerns of CPaintManagerUI live beside it: PaintManagerInput.cpp (messages, mouse,
// keys), PaintManagerFocus.cpp, PaintManagerTimers.cpp, PaintManagerPaint.cpp,
// PaintManagerNotify.cpp, PaintManagerControls.cpp, PaintManagerFonts.cpp and
// PaintManagerImages.cpp.

#include "ui/PaintManagerParts.h"

#include "ui/SkinSource.h"
#include "ui/ToolTipWnd.h"

#include "platform/Kernel.h"
#include "platform/Layered.h"
#include "platform/Text.h"

namespace DuiLib
{
std::vector<CPaintManagerUI*>& LivePaintManagers()
{
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

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
    RemoveItem(LivePaintManagers(), this);
}

void CPaintManagerUI::Init(HWND hWnd)
{
    m_hWndPaint = hWnd;
    AddUnique(LivePaintManagers(), this);
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
        m_measureSurface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
        m_measureCairo.reset(cairo_create(m_measureSurface.get()));
        m_hDcPaint = platform::CreateCairoDC(m_measureCairo.get());
    }
    return m_hDcPaint;
}

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
    const std::vector<CPaintManagerUI*> managers = LivePaintManagers();
    for (CPaintManagerUI* manager : managers)
    {
        if (std::find(LivePaintManagers().begin(), LivePaintManagers().end(), manager) ==
            LivePaintManagers().end())
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

CPaintManagerUI* CPaintManagerUI::FromWindow(HWND hWnd)
{
    const auto& managers = LivePaintManagers();
    const auto found = std::find_if(managers.begin(), managers.end(), [hWnd](const CPaintManagerUI* m) {
        return hWnd != nullptr && m->m_hWndPaint == hWnd;
    });
    return found == managers.end() ? nullptr : *found;
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
    RemoveItem(LivePaintManagers(), this);
}
} // namespace DuiLib
