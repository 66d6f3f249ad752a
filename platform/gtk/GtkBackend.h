#pragma once
// The GTK 3 display backend: one undecorated GtkWindow per top-level window, GDK events turned
// into messages, and the GLib main loop run inside the UI thread's message waits. All GTK calls
// happen on the UI thread; changes made on other threads are handed to it.

#include "platform/Window.h"

#include <gtk/gtk.h>

#include <atomic>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform
{
class NativeWindow;

class GtkBackend final : public WindowBackend
{
public:
    // Opens the display and installs the backend on the calling thread (once; later calls give
    // the same backend); nullptr without a display. There is no global getter: what works with
    // the display is handed the backend when it is installed (the window backend, the paint
    // target factory, the desktop, the tray, AddDisplayService) or reaches it through the
    // object that made it (NativeWindow::Display()).
    static GtkBackend* Install();

    void CreateNative(HWND hwnd) override;
    void DestroyNative(HWND hwnd) override;
    void Show(HWND hwnd, int command) override;
    void Move(HWND hwnd, const RECT& windowRect) override;
    void Restack(HWND hwnd, HWND insertAfter) override;
    void SetTitle(HWND hwnd, const std::wstring& title) override;
    void Invalidate(HWND hwnd, const RECT* rect) override;
    void StyleChanged(HWND hwnd) override;
    bool Wait(DWORD timeoutMs) override;
    void Wake(DWORD threadId) override;
    void DispatchPending() override;

    bool OnUiThread() const;
    // Runs work on the UI thread: now when called there, otherwise soon, in order.
    void RunOnUi(std::function<void()> work);
    // The native window of hwnd (a top-level window), or nullptr. UI thread only.
    NativeWindow* Find(HWND hwnd) const;
    // The native window that holds hwnd (hwnd itself or its top-level ancestor).
    NativeWindow* FindRoot(HWND hwnd) const;
    bool IsCompositing() const { return m_composited; }
    // The native window the pointer was last seen over (for SetCursor).
    void SetPointerWindow(NativeWindow* window) { m_pointerWindow = window; }
    NativeWindow* PointerWindow() const { return m_pointerWindow; }
    // True while a GLib loop other than the message core's own wait runs on the UI thread.
    bool InForeignLoop() const;

private:
    GtkBackend();
    // Iterates the GLib loop as the core's own wait, which the message pump leaves alone.
    void IterateAsWait(const std::function<bool()>& more, gboolean mayBlock);

    DWORD m_uiThread;
    std::atomic<bool> m_wakePending{false};
    bool m_composited = false;
    std::unordered_map<HWND, std::unique_ptr<NativeWindow>> m_windows;
    NativeWindow* m_pointerWindow = nullptr;
    // g_main_depth() at each of the core's waits now running on the UI thread, innermost last.
    std::vector<int> m_waitDepths;
};
} // namespace platform
