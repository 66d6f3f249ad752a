#include "tests/support/ControlHost.h"

#include "platform/Gdi.h"

ControlHost::ControlHost(int width, int height)
{
    Create(nullptr, L"host", WS_POPUP | WS_VISIBLE, 0, 0, 0, width, height);
    m_pm.Init(m_hWnd);
    m_pm.AddNotifier(this);
}

ControlHost::~ControlHost()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

DuiLib::CControlUI* ControlHost::Load(const wchar_t* markup)
{
    DuiLib::CControlUI* root = m_builder.Create(markup, nullptr, nullptr, &m_pm);
    if (root)
        Attach(root);
    return root;
}

void ControlHost::Attach(DuiLib::CControlUI* root)
{
    m_pm.AttachDialog(root);
    m_pm.UpdateLayout();
    Pump();
}

LRESULT ControlHost::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void ControlHost::Notify(DuiLib::TNotifyUI& msg)
{
    notes.push_back(Note{msg.sType.Str(), msg.pSender, msg.wParam, msg.lParam});
}

int ControlHost::Count(const wchar_t* type) const
{
    int count = 0;
    for (const Note& note : notes)
        count += note.type == type ? 1 : 0;
    return count;
}

void ControlHost::Pump()
{
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void ControlHost::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    platform::headless::InjectMessage(m_hWnd, msg, wParam, lParam);
    Pump();
}

void ControlHost::Move(int x, int y)
{
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void ControlHost::Click(int x, int y)
{
    Move(x, y);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ControlHost::Wheel(int x, int y, int notches)
{
    Move(x, y);
    const auto delta = static_cast<WORD>(static_cast<short>(-notches * WHEEL_DELTA));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(x, y));
}

void ControlHost::Key(int vk)
{
    Send(WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
    Send(WM_KEYUP, static_cast<WPARAM>(vk), 0);
}

void ControlHost::Type(const std::wstring& text)
{
    for (wchar_t ch : text)
        Send(WM_CHAR, static_cast<WPARAM>(ch), 0);
}

cairo_surface_t* ControlHost::Paint()
{
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
    return platform::headless::WindowSurface(m_hWnd);
}

unsigned ControlHost::Pixel(int x, int y)
{
    cairo_surface_t* surface = Paint();
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    return *reinterpret_cast<const unsigned*>(data + y * stride + x * 4);
}
