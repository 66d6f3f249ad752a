#include "main/menu/DuiMenu.h"

#include "main/menu/MenuContainer.h"
#include "main/menu/MenuElementUI.h"
#include "main/menu/MenuUI.h"
#include "main/menu/MenuWnd.h"
#include "main/menu/StaticMenuElementUI.h"

#include "platform/Input.h"
#include "platform/Utf.h"

#include <memory>

using namespace DuiLib;

namespace
{
constexpr DWORD kMenuExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST; // 0x08000088

CDuiString Wide(const char* text)
{
    return CDuiString(platform::FromUtf8(text != nullptr ? text : ""));
}

bool IsButtonUp(UINT message)
{
    return message == WM_CONTEXTMENU || message == WM_NCLBUTTONUP || message == WM_NCRBUTTONUP ||
           message == WM_LBUTTONUP || message == WM_RBUTTONUP;
}

bool IsButtonDown(UINT message)
{
    return message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == WM_LBUTTONDOWN ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN;
}

bool IsKey(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP || message == WM_IME_CHAR;
}

bool IsClientMouse(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP;
}

void Dispatch(const MSG& msg)
{
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool IsNonClient(UINT message)
{
    return message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == WM_NCLBUTTONUP ||
           message == WM_NCRBUTTONUP;
}

// The release that ends a press, or 0.
UINT ReleaseOf(UINT press)
{
    switch (press)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return WM_LBUTTONUP;
    case WM_RBUTTONDOWN:
        return WM_RBUTTONUP;
    case WM_NCLBUTTONDOWN:
        return WM_NCLBUTTONUP;
    case WM_NCRBUTTONDOWN:
        return WM_NCRBUTTONUP;
    default:
        return 0;
    }
}

// Where on the screen a mouse message happened.
POINT ScreenPointOf(const MSG& msg)
{
    POINT point{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    if (!IsNonClient(msg.message))
        ::ClientToScreen(msg.hwnd, &point);
    return point;
}

void PostAt(HWND target, const MSG& msg, POINT screen)
{
    POINT point = screen;
    if (!IsNonClient(msg.message))
        ::ScreenToClient(target, &point);
    ::PostMessageW(target, msg.message, msg.wParam, MAKELPARAM(point.x, point.y));
}
} // namespace

CDuiMenu::CDuiMenu(LPCTSTR xml) : m_strXml(xml) {}

CDuiMenu::~CDuiMenu()
{
    Destroy(); // a menu made but never shown still owns its windows
}

CControlUI* CDuiMenu::CreateControl(LPCTSTR pstrClass)
{
    const CDuiString tag(pstrClass);
    if (tag == L"Menu")
        return new CMenuUI;
    if (tag == L"MenuItem")
        return new CMenuElementUI;
    if (tag == L"StaticMenuItem")
        return new CStaticMenuElementUI;
    if (tag == L"MenuContainer")
        return new CMenuContainer;
    return nullptr;
}

bool CDuiMenu::Create(LPCTSTR xml)
{
    Destroy();
    auto builder = std::make_shared<CDialogBuilder>();
    CControlUI* root = builder->Create(xml, nullptr, this, nullptr, nullptr);
    m_pRoot = dynamic_cast<CMenuContainer*>(root);
    if (m_pRoot == nullptr)
    {
        delete root; // missing, unreadable or not a menu
        return false;
    }
    const pugi::xml_node resources = builder->GetMarkup()->GetRoot();
    for (CMenuUI* list : Lists())
        CreateListWindow(list, resources);
    for (CMenuUI* list : Lists())
        LinkSubMenus(list);
    m_bCreated = true;
    return true;
}

std::vector<CMenuUI*> CDuiMenu::Lists() const
{
    std::vector<CMenuUI*> lists;
    if (m_pRoot == nullptr)
        return lists;
    for (int i = 0; i < m_pRoot->GetCount(); ++i)
    {
        // Anything else in the container is not a list and is left alone.
        if (auto* list = static_cast<CMenuUI*>(m_pRoot->GetItemAt(i)->GetInterface(L"Menu")))
            lists.push_back(list);
    }
    return lists;
}

void CDuiMenu::CreateListWindow(CMenuUI* list, pugi::xml_node resources)
{
    CMenuWnd* wnd = list->m_pWnd;
    LoadWindowResources(&wnd->m_pm, resources);
    wnd->Create(nullptr, L"Menu", WS_POPUP, kMenuExStyle);
    wnd->m_pm.AttachDialog(list);
    wnd->m_pm.AddNotifier(list);
    wnd->m_pMenu = list;
    list->m_pOwner = this;
    if (list->m_bMajor)
        m_pMajorMenu = list;
}

void CDuiMenu::LinkSubMenus(CMenuUI* list)
{
    for (int i = 0; i < list->GetCount(); ++i)
    {
        auto* row = static_cast<CMenuElementUI*>(list->GetItemAt(i)->GetInterface(L"MenuItem"));
        if (row == nullptr || !row->m_bHasSubMenu)
            continue;
        CMenuUI* sub = FindMenuByName(row->m_strExtendMenu);
        // A list opens under one row only and never under itself or a list that leads to it:
        // the menu stays a tree, so showing and hiding submenus always ends.
        bool leadsBack = sub == nullptr || sub->m_bMajor || sub->m_pParentMenu != nullptr;
        for (CMenuUI* up = list; up != nullptr && !leadsBack; up = up->m_pParentMenu)
            leadsBack = up == sub;
        if (leadsBack)
            continue;
        row->m_pSubMenu = sub;
        sub->m_pParentMenu = list;
    }
}

void CDuiMenu::LoadWindowResources(CPaintManagerUI* pm, pugi::xml_node root)
{
    for (pugi::xml_node node : root.children())
    {
        const CDuiString tag = Wide(node.name());
        if (tag.CompareNoCase(L"Font") == 0)
        {
            const int id = node.attribute("id").as_int(-1);
            const CDuiString name = Wide(node.attribute("name").as_string());
            if (id >= 0 && !name.IsEmpty())
                pm->AddFont(id, name, node.attribute("size").as_int(12), node.attribute("bold").as_bool(),
                            node.attribute("underline").as_bool(), node.attribute("italic").as_bool(),
                            node.attribute("default").as_bool());
        }
        else if (tag.CompareNoCase(L"Default") == 0)
        {
            const CDuiString name = Wide(node.attribute("name").as_string());
            if (!name.IsEmpty())
                pm->AddDefaultAttributeList(name, Wide(node.attribute("value").as_string()));
        }
        // Images are read by name from the skin when first drawn, so "Image" needs nothing here.
    }
}

CDuiString CDuiMenu::Popup(HWND hOwner, int x, int y)
{
    if (m_pMajorMenu == nullptr)
    {
        Destroy();
        return CDuiString();
    }
    m_hOwner = hOwner;
    const HWND window = m_pMajorMenu->GetMenuWindow();
    MONITORINFO monitor{sizeof(MONITORINFO), {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = m_pMajorMenu->GetFixedWidth();
    const int height = m_pMajorMenu->GetFixedHeight();
    if (x + width > work.right)
        x = work.right - width;
    if (y + height > work.bottom)
    {
        y -= height; // opens upward
        if (y < work.top)
            y = work.bottom - height;
    }
    m_pCurrentMenu = m_pMajorMenu;
    ::MoveWindow(window, x, y, width, height, FALSE);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    RunMenuLoop();
    m_hOwner = nullptr;
    m_pMajorMenu = nullptr;
    return m_strCommand;
}

void CDuiMenu::Destroy()
{
    if (!m_bCreated && m_pRoot == nullptr)
        return;
    if (IsMenuWindow(::GetCapture()))
        ::ReleaseCapture();
    delete m_pRoot;
    m_pRoot = nullptr;
    m_pCurrentMenu = nullptr;
    m_bCreated = false;
}

bool CDuiMenu::IsMenuWindow(HWND hWnd) const
{
    if (hWnd == nullptr)
        return false;
    for (CMenuUI* list : Lists())
    {
        if (list->GetMenuWindow() == hWnd)
            return true;
    }
    return false;
}

CMenuUI* CDuiMenu::FindMenuByName(LPCTSTR name) const
{
    for (CMenuUI* list : Lists())
    {
        if (list->GetName() == name)
            return list;
    }
    return nullptr;
}

void CDuiMenu::HoldCapture() const
{
    // The capture is a pointer grab on a display: clicks anywhere come to the menu, so a click
    // outside it can close it. The lists' own presses release it; it is taken again here.
    if (m_bCreated && ::GetCapture() == nullptr && m_pMajorMenu != nullptr)
        ::SetCapture(m_pMajorMenu->GetMenuWindow());
}

bool CDuiMenu::RouteToMenuWindow(MSG& msg) const
{
    if (!IsMenuWindow(msg.hwnd))
        return false;
    if (!IsClientMouse(msg.message))
        return true;
    POINT point{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    ::ClientToScreen(msg.hwnd, &point);
    for (CMenuUI* list : Lists())
    {
        const HWND window = list->GetMenuWindow();
        RECT rect{};
        if (!::IsWindowVisible(window) || !::GetWindowRect(window, &rect) || point.x < rect.left ||
            point.x >= rect.right || point.y < rect.top || point.y >= rect.bottom)
            continue;
        msg.hwnd = window;
        msg.lParam = MAKELPARAM(point.x - rect.left, point.y - rect.top);
        return true;
    }
    return false;
}

void CDuiMenu::PassPressOutside(const MSG& press)
{
    // The pointer grab addresses the press to a menu window; it was meant for the window under
    // the pointer, which gets it with its release when that is queued already (a quick click),
    // so that the click is whole there.
    const POINT screen = ScreenPointOf(press);
    MSG release{};
    const UINT releaseMessage = ReleaseOf(press.message);
    const bool released = releaseMessage != 0 && ::PeekMessageW(&release, nullptr, releaseMessage,
                                                                releaseMessage, PM_REMOVE) != FALSE;
    const POINT releaseAt = released ? ScreenPointOf(release) : screen;
    const bool fromMenu = IsMenuWindow(press.hwnd);
    Destroy();
    HWND target = ::WindowFromPoint(screen);
    if (target == nullptr && !fromMenu)
        target = press.hwnd;
    if (target == nullptr || !::IsWindow(target))
        return;
    PostAt(target, press, screen);
    if (released)
        PostAt(target, release, releaseAt);
}

void CDuiMenu::RunMenuLoop()
{
    ::SetCapture(m_pMajorMenu->GetMenuWindow()); // from whoever held it: the menu has the pointer now
    // The release of the press that opened the menu (a right click on the tray icon) comes
    // through the pointer grab too; a release without its press is not a click outside.
    bool pressed = false;
    for (;;)
    {
        if (m_bChosen || !m_bCreated)
            break;
        const HWND capture = ::GetCapture();
        if (capture != nullptr && !IsMenuWindow(capture))
            break; // another window took the pointer: the grab is gone
        MSG msg{};
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT)
        {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsButtonUp(msg.message) && !pressed)
            continue;
        if (IsButtonUp(msg.message) || IsButtonDown(msg.message))
        {
            pressed = pressed || IsButtonDown(msg.message);
            const HWND target = msg.hwnd;
            if (RouteToMenuWindow(msg))
            {
                Dispatch(msg);
                HoldCapture();
                continue;
            }
            if (IsButtonDown(msg.message))
                PassPressOutside(msg);
            else if (!IsMenuWindow(target) && ::IsWindow(target))
                ::PostMessageW(target, msg.message, msg.wParam, msg.lParam);
            break;
        }
        if (IsKey(msg.message))
        {
            if (m_pRoot->m_bKeyEvent && m_pCurrentMenu != nullptr)
                msg.hwnd = m_pCurrentMenu->GetMenuWindow();
            Dispatch(msg);
            continue;
        }
        if (msg.message == WM_MOUSEMOVE)
        {
            if (RouteToMenuWindow(msg))
                Dispatch(msg);
            continue;
        }
        Dispatch(msg);
    }
    if (m_bCreated)
        Destroy();
}
