#include "platform/ipc/WindowSharing.h"

#include "platform/WinError.h"
#include "platform/Window.h"
#include "platform/ipc/CopyDataClient.h"
#include "platform/ipc/ProcessStart.h"
#include "platform/messages/WindowHooks.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <unistd.h>

namespace platform::ipc
{
namespace
{
bool SameClassName(LPCWSTR wanted, const std::wstring& name)
{
    const std::wstring_view w(wanted);
    return w.size() == name.size() && std::equal(w.begin(), w.end(), name.begin(), [](wchar_t a, wchar_t b) {
               return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
           });
}

bool Matches(const SharedWindow& window, LPCWSTR className, LPCWSTR windowName)
{
    return (className == nullptr || SameClassName(className, window.className)) &&
           (windowName == nullptr || window.title == windowName);
}

std::wstring TitleOf(HWND hwnd)
{
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(hwnd, title.data(), static_cast<int>(title.size()))));
    return title;
}

void OnChanged(WindowEvent event, HWND hwnd, LPCWSTR className)
{
    auto& sharing = WindowSharing::Instance();
    if (event == WindowEvent::Created)
        sharing.Add(hwnd, className);
    else if (event == WindowEvent::Retitled)
        sharing.Retitle(hwnd);
    else
        sharing.Remove(hwnd);
}

bool OnSendForeign(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, LRESULT* result)
{
    ForeignWindow target;
    if (!ForeignWindows::Instance().Lookup(hwnd, &target))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!CopyDataClient::Send(WindowSharing::Instance().FolderOnce(), target, msg, wParam, lParam, timeoutMs,
                              result))
        return false;
    // The local lookup that sent us here left ERROR_INVALID_WINDOW_HANDLE behind.
    SetLastError(ERROR_SUCCESS);
    return true;
}

bool IsSharedWindow(HWND hwnd)
{
    return WindowSharing::Instance().Contains(hwnd);
}

void WithdrawAtExit() noexcept
try
{
    const std::string folder = WindowSharing::Instance().FolderOnce();
    if (!folder.empty())
        WindowRegistry::Withdraw(folder);
}
catch (...)
{
    // Out of memory at exit: the entry stays, and readers drop it once this process is gone.
}
} // namespace

WindowSharing& WindowSharing::Instance()
{
    // Never destroyed: the server's threads and late window hooks use it while the process exits.
    static WindowSharing* const instance = new WindowSharing;
    return *instance;
}

void WindowSharing::Install()
{
    WindowHooks hooks;
    hooks.changed = OnChanged;
    hooks.sendForeign = OnSendForeign;
    SetWindowHooks(hooks);
}

std::string WindowSharing::FolderOnce()
{
    std::lock_guard lock(m_lock);
    return FolderLocked();
}

std::string WindowSharing::FolderLocked()
{
    if (!m_folderTried)
    {
        m_folderTried = true;
        m_folder = WindowRegistry::Folder();
    }
    return m_folder;
}

bool WindowSharing::ServeLocked()
{
    if (m_serving)
        return true;
    const std::string folder = FolderLocked();
    if (folder.empty() || !m_server.Start(WindowRegistry::SocketPath(folder, ::getpid()), IsSharedWindow))
        return false;
    m_serving = true;
    std::atexit(WithdrawAtExit);
    return true;
}

void WindowSharing::PublishLocked()
{
    // Without a socket the entry would only lead others to a dead end.
    if (ServeLocked())
        WindowRegistry::Publish(m_folder, m_windows);
}

void WindowSharing::Add(HWND hwnd, LPCWSTR className)
{
    if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0)
        return;
    SharedWindow window{::getpid(), 0, reinterpret_cast<ULONG_PTR>(hwnd),
                        className != nullptr ? className : L"", TitleOf(hwnd)};
    std::lock_guard lock(m_lock);
    m_windows.push_back(std::move(window));
    PublishLocked();
}

void WindowSharing::Retitle(HWND hwnd)
{
    const std::wstring title = TitleOf(hwnd);
    std::lock_guard lock(m_lock);
    auto it = std::find_if(m_windows.begin(), m_windows.end(), [&](const SharedWindow& w) {
        return w.hwnd == reinterpret_cast<ULONG_PTR>(hwnd);
    });
    if (it == m_windows.end() || it->title == title)
        return;
    it->title = title;
    PublishLocked();
}

void WindowSharing::Remove(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    const auto removed = std::erase_if(
        m_windows, [&](const SharedWindow& w) { return w.hwnd == reinterpret_cast<ULONG_PTR>(hwnd); });
    if (removed != 0)
        PublishLocked();
}

bool WindowSharing::Contains(HWND hwnd)
{
    std::lock_guard lock(m_lock);
    return std::any_of(m_windows.begin(), m_windows.end(),
                       [&](const SharedWindow& w) { return w.hwnd == reinterpret_cast<ULONG_PTR>(hwnd); });
}

HWND WindowSharing::Find(LPCWSTR className, LPCWSTR windowName)
{
    std::string folder;
    {
        std::lock_guard lock(m_lock);
        for (const SharedWindow& window : m_windows)
        {
            if (Matches(window, className, windowName))
                return reinterpret_cast<HWND>(window.hwnd);
        }
        folder = FolderLocked();
    }
    if (folder.empty())
        return nullptr;
    for (const SharedWindow& window : WindowRegistry::ReadOthers(folder))
    {
        if (Matches(window, className, windowName))
            return ForeignWindows::Instance().ProxyFor({window.pid, window.startTime, window.hwnd});
    }
    return nullptr;
}
} // namespace platform::ipc
