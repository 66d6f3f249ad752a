#pragma once
// A headless window running a control tree through the real paint manager: input is injected
// into the window's queue and pumped, notifications are recorded, painting lands in the
// window's cairo surface.

#include "ui/DialogBuilder.h"
#include "ui/PaintManagerUI.h"
#include "ui/WindowWnd.h"

#include <cairo.h>
#include <string>
#include <vector>

struct Note
{
    std::wstring type;
    DuiLib::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
};

class ControlHost : public DuiLib::CWindowWnd, public DuiLib::INotifyUI
{
public:
    explicit ControlHost(int width = 400, int height = 300);
    ~ControlHost() override;

    DuiLib::CPaintManagerUI& Manager() { return m_pm; }
    // Builds the markup, makes it the window's tree and lays it out.
    DuiLib::CControlUI* Load(const wchar_t* markup);
    void Attach(DuiLib::CControlUI* root);

    void Pump();
    void Move(int x, int y);
    void Click(int x, int y);
    void Wheel(int x, int y, int notches);
    void Key(int vk);
    void Type(const std::wstring& text);
    // Paints the whole window and returns its pixels.
    cairo_surface_t* Paint();
    // The pixel at (x, y) as 0xAARRGGBB.
    unsigned Pixel(int x, int y);

    std::vector<Note> notes;
    int Count(const wchar_t* type) const;

protected:
    LPCTSTR GetWindowClassName() const override { return L"ControlHost"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void Notify(DuiLib::TNotifyUI& msg) override;

private:
    void Send(UINT msg, WPARAM wParam, LPARAM lParam);

    DuiLib::CPaintManagerUI m_pm;
    DuiLib::CDialogBuilder m_builder;
};
