#include "platform/messages/WindowTable.h"

#include "platform/WinError.h"

namespace platform
{
WindowTable& WindowTable::Instance()
{
    // Never destroyed: threads may still end (and drop their windows) while the process exits.
    static WindowTable* const instance = new WindowTable;
    return *instance;
}

HWND WindowTable::Add(const std::shared_ptr<WindowRecord>& record)
{
    std::unique_lock lock(m_lock);
    // Handles are never reused, so a stale handle can never reach a newer window.
    record->hwnd = reinterpret_cast<HWND>(m_nextHandle);
    m_nextHandle += 4;
    m_windows.emplace(record->hwnd, record);
    return record->hwnd;
}

WindowRecord* WindowTable::FindLocked(HWND hwnd) const
{
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

WindowRecord* WindowTable::FindOrFail(HWND hwnd) const
{
    WindowRecord* record = FindLocked(hwnd);
    if (record == nullptr)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record;
}

void WindowTable::RemoveLocked(HWND hwnd)
{
    m_windows.erase(hwnd);
}

std::vector<HWND> WindowTable::WindowsLocked(const std::function<bool(const WindowRecord&)>& match) const
{
    std::vector<HWND> found;
    for (const auto& [hwnd, record] : m_windows)
    {
        if (match(*record))
            found.push_back(hwnd);
    }
    return found;
}

std::shared_ptr<WindowRecord> WindowTable::Find(HWND hwnd)
{
    std::shared_lock lock(m_lock);
    auto it = m_windows.find(hwnd);
    if (it == m_windows.end())
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return it->second;
}
} // namespace platform
