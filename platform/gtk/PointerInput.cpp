#include "platform/gtk/PointerInput.h"

#include "platform/Input.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/KeyMap.h"
#include "platform/gtk/MouseTracking.h"
#include "platform/gtk/NativeWindow.h"

#include <cmath>

namespace platform
{
namespace
{
constexpr UINT kDoubleClickDistance = 4;

LPARAM PointParam(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

int DoubleClickTime()
{
    gint ms = 400;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &ms, nullptr);
    return ms;
}

bool InputAllowed(HWND hwnd)
{
    return IsWindow(hwnd) && IsWindowEnabled(hwnd);
}

// XBUTTON messages name their button in the high word.
WPARAM ExtraButtonWord(guint button)
{
    return button == 8 ? WPARAM{1} << 16 : button == 9 ? WPARAM{2} << 16 : 0;
}
} // namespace

PointerInput::PointerInput(NativeWindow& owner) : m_owner(owner) {}

PointerInput::~PointerInput()
{
    if (m_hoverSource != 0)
        g_source_remove(m_hoverSource);
}

void PointerInput::Connect(GtkWidget* widget)
{
    gtk_widget_add_events(widget, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
    g_signal_connect(widget, "button-press-event", G_CALLBACK(&PointerInput::OnPress), this);
    g_signal_connect(widget, "button-release-event", G_CALLBACK(&PointerInput::OnRelease), this);
    g_signal_connect(widget, "motion-notify-event", G_CALLBACK(&PointerInput::OnMotion), this);
    g_signal_connect(widget, "scroll-event", G_CALLBACK(&PointerInput::OnScroll), this);
    g_signal_connect(widget, "leave-notify-event", G_CALLBACK(&PointerInput::OnLeave), this);
}

HWND PointerInput::Target() const
{
    const HWND capture = MouseTracking::Instance().Capture();
    if (capture != nullptr &&
        GetWindowThreadProcessId(capture, nullptr) == GetWindowThreadProcessId(m_owner.Handle(), nullptr))
        return capture;
    return m_owner.Handle();
}

void PointerInput::Post(UINT msg, WPARAM keys, double xRoot, double yRoot)
{
    const HWND target = Target();
    if (!InputAllowed(target))
        return;
    POINT client{};
    if (NativeWindow* native = m_owner.Display().Find(target))
        client = native->ClientPoint(xRoot, yRoot);
    else
    {
        client = POINT{static_cast<LONG>(xRoot), static_cast<LONG>(yRoot)};
        ScreenToClient(target, &client);
    }
    headless::InjectMessage(target, msg, keys, PointParam(client));
}

bool PointerInput::IsDoubleClick(const GdkEventButton& event)
{
    const Press& last = m_lastPress;
    const bool isDouble = last.button == event.button &&
                          event.time - last.time <= static_cast<guint32>(DoubleClickTime()) &&
                          std::fabs(event.x_root - last.x) <= kDoubleClickDistance &&
                          std::fabs(event.y_root - last.y) <= kDoubleClickDistance;
    // A third click starts over, as on Windows.
    m_lastPress = isDouble ? Press{} : Press{event.button, event.time, event.x_root, event.y_root};
    return isDouble;
}

bool PointerInput::StartDrag(LRESULT hit, const GdkEventButton& event)
{
    GtkWindow* window = m_owner.Window();
    const auto x = static_cast<gint>(event.x_root);
    const auto y = static_cast<gint>(event.y_root);
    GdkWindowEdge edge{};
    if (hit == HTCAPTION)
        gtk_window_begin_move_drag(window, static_cast<gint>(event.button), x, y, event.time);
    else if (ResizeEdgeOf(hit, &edge))
        gtk_window_begin_resize_drag(window, edge, static_cast<gint>(event.button), x, y, event.time);
    else
        return false;
    return true;
}

void PointerInput::Pressed(const GdkEventButton& event)
{
    if (event.type != GDK_BUTTON_PRESS)
        return; // GDK's own double and triple presses: Windows' rule is applied below
    const HWND hwnd = m_owner.Handle();
    const HWND target = Target();
    if (!InputAllowed(target))
        return;
    const bool isDouble = IsDoubleClick(event);
    if (target == hwnd)
    {
        const LPARAM screen = MAKELPARAM(static_cast<int>(event.x_root), static_cast<int>(event.y_root));
        const LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0, screen);
        if (hit != HTCLIENT)
        {
            if (event.button == 1 && !isDouble && StartDrag(hit, event))
                return;
            if (event.button == 1 && hit > HTCLIENT)
                headless::InjectMessage(hwnd, isDouble ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN,
                                        static_cast<WPARAM>(hit), screen);
            return;
        }
    }
    const UINT msg = MouseButtonMessage(event.button, false, isDouble);
    if (msg == 0)
        return;
    const WPARAM keys =
        MouseKeyState(event.state) | MouseButtonBit(event.button) | ExtraButtonWord(event.button);
    Post(msg, keys, event.x_root, event.y_root);
}

void PointerInput::Released(const GdkEventButton& event)
{
    const UINT msg = MouseButtonMessage(event.button, true, false);
    if (msg == 0)
        return;
    const WPARAM keys =
        (MouseKeyState(event.state) & ~MouseButtonBit(event.button)) | ExtraButtonWord(event.button);
    Post(msg, keys, event.x_root, event.y_root);
}

void PointerInput::Moved(const GdkEventMotion& event)
{
    m_owner.Display().SetPointerWindow(&m_owner);
    const HWND hwnd = m_owner.Handle();
    if (Target() == hwnd && MouseTracking::Instance().Capture() == nullptr && InputAllowed(hwnd))
    {
        // The procedure picks the cursor for the spot; when it does not, the arrow shows.
        if (SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == FALSE)
            ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    Post(WM_MOUSEMOVE, MouseKeyState(event.state), event.x_root, event.y_root);
    RestartHover();
}

void PointerInput::Scrolled(const GdkEventScroll& event)
{
    int notches = 0;
    UINT msg = WM_MOUSEWHEEL;
    switch (event.direction)
    {
    case GDK_SCROLL_UP:
        notches = 1;
        break;
    case GDK_SCROLL_DOWN:
        notches = -1;
        break;
    case GDK_SCROLL_LEFT:
        notches = -1;
        msg = WM_MOUSEHWHEEL;
        break;
    case GDK_SCROLL_RIGHT:
        notches = 1;
        msg = WM_MOUSEHWHEEL;
        break;
    default:
        return;
    }
    const HWND target = Target();
    if (!InputAllowed(target))
        return;
    const auto delta = static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA));
    const WPARAM wParam = (static_cast<WPARAM>(delta) << 16) | MouseKeyState(event.state);
    // Unlike the other mouse messages, the wheel carries screen coordinates.
    headless::InjectMessage(target, msg, wParam,
                            MAKELPARAM(static_cast<int>(event.x_root), static_cast<int>(event.y_root)));
}

void PointerInput::Left(const GdkEventCrossing& event)
{
    if (event.mode != GDK_CROSSING_NORMAL || event.detail == GDK_NOTIFY_INFERIOR)
        return;
    const HWND hwnd = m_owner.Handle();
    auto& tracking = MouseTracking::Instance();
    if (tracking.Capture() == hwnd)
        return;
    if (m_hoverSource != 0)
    {
        g_source_remove(m_hoverSource);
        m_hoverSource = 0;
    }
    if ((tracking.Tracked(hwnd) & TME_LEAVE) == 0)
        return;
    tracking.Cancel(hwnd, TME_LEAVE | TME_HOVER);
    PostMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
}

void PointerInput::RestartHover()
{
    if (m_hoverSource != 0)
    {
        g_source_remove(m_hoverSource);
        m_hoverSource = 0;
    }
    DWORD hoverMs = 0;
    if ((MouseTracking::Instance().Tracked(m_owner.Handle(), &hoverMs) & TME_HOVER) != 0)
        m_hoverSource = g_timeout_add(hoverMs, &PointerInput::HoverElapsed, this);
}

gboolean PointerInput::HoverElapsed(gpointer self) noexcept
try
{
    auto* input = static_cast<PointerInput*>(self);
    input->m_hoverSource = 0;
    const HWND hwnd = input->m_owner.Handle();
    MouseTracking::Instance().Cancel(hwnd, TME_HOVER);
    POINT point{};
    GetCursorPos(&point);
    GdkModifierType state{};
    gtk_get_current_event_state(&state);
    const POINT client = input->m_owner.ClientPoint(point.x, point.y);
    PostMessageW(hwnd, WM_MOUSEHOVER, MouseKeyState(state), PointParam(client));
    return G_SOURCE_REMOVE;
}
catch (...)
{
    return G_SOURCE_REMOVE;
}

gboolean PointerInput::OnPress(GtkWidget*, GdkEventButton* event, gpointer self) noexcept
try
{
    static_cast<PointerInput*>(self)->Pressed(*event);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean PointerInput::OnRelease(GtkWidget*, GdkEventButton* event, gpointer self) noexcept
try
{
    static_cast<PointerInput*>(self)->Released(*event);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean PointerInput::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self) noexcept
try
{
    static_cast<PointerInput*>(self)->Moved(*event);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean PointerInput::OnScroll(GtkWidget*, GdkEventScroll* event, gpointer self) noexcept
try
{
    static_cast<PointerInput*>(self)->Scrolled(*event);
    return TRUE;
}
catch (...)
{
    return TRUE;
}

gboolean PointerInput::OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer self) noexcept
try
{
    static_cast<PointerInput*>(self)->Left(*event);
    return FALSE;
}
catch (...)
{
    return FALSE;
}
} // namespace platform
