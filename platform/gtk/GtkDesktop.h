#pragma once
// The desktop on the GTK display: GDK's pointer, seat and monitors, the native windows of
// GtkBackend, and GTK message dialogs.

#include "platform/gtk/DesktopBackend.h"

namespace platform
{
class GtkBackend;

class GtkDesktop final : public DesktopBackend
{
public:
    explicit GtkDesktop(GtkBackend& display) : m_display(display) {}

    bool HasDisplay() const override { return true; }
    bool IsCompositing() const override;
    bool ReadScreen(ScreenArea& screen) override;
    void Present(HWND root) override;
    void SetIcon(HWND hwnd, GObjectPtr<GdkPixbuf> image) override;
    void SetOpacity(HWND hwnd, double opacity) override;
    void ShowCursor(const char* name) override;
    bool ReadPointer(POINT& point) override;
    void WarpPointer(POINT point) override;
    void GrabPointer(HWND hwnd) override;
    void UngrabPointer() override;
    int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;

private:
    GtkBackend& m_display;
};
} // namespace platform
