#pragma once
// A window object bound to a platform window: registers its class, creates the window, routes
// its messages to HandleMessage, and runs modal loops. The object learns of the window's end in
// OnFinalMessage, where modeless windows delete themselves.

#include "ui/UIDefine.h"

namespace DuiLib
{
constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;

// The area windows are centred in when they have no owner (the primary screen's work area).
RECT GetWorkAreaRect();

class CWindowWnd
{
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Runs a nested loop on this thread until the window is closed; returns the code given to
    // Close. The owner is disabled meanwhile.
    UINT ShowModal();
    // Asks the window to close (posted), with the code ShowModal returns.
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);
    UINT GetIcon() const { return m_nIcon; }
    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    void ResizeClient(int cx = -1, int cy = -1);

protected:
    virtual LPCTSTR GetWindowClassName() const = 0;
    virtual LPCTSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

public:
    virtual ~CWindowWnd();

protected:
    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    UINT m_nIcon = 0;
    // The code of the last Close, for ShowModal.
    UINT m_nModalResult = 0;
};
} // namespace DuiLib
