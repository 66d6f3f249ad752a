#pragma once
// The desktop without a display: the pointer and screen are what the platform last stored or a
// test set, nothing is drawn, and a message box is recorded and answered as a test asked
// (platform::headless::MessageBoxCalls, SetMessageBoxAnswer).

#include "platform/gtk/DesktopBackend.h"

namespace platform
{
class HeadlessDesktop final : public DesktopBackend
{
public:
    bool HasDisplay() const override { return false; }
    bool IsCompositing() const override { return false; }
    bool ReadScreen(ScreenArea&) override { return false; }
    void Present(HWND) override {}
    void SetIcon(HWND, GObjectPtr<GdkPixbuf>) override {}
    void SetOpacity(HWND, double) override {}
    void ShowCursor(const char*) override {}
    bool ReadPointer(POINT&) override { return false; }
    void WarpPointer(POINT) override {}
    void GrabPointer(HWND) override {}
    void UngrabPointer() override {}
    int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
};
} // namespace platform
