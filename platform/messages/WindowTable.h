#pragma once
// Every live window of the process by handle. One reader-writer lock guards the table and the
// mutable fields of every record; window procedures are never called with it held.

#include "platform/WinError.h"
#include "platform/messages/ClassTable.h"
#include "platform/messages/MessageQueue.h"

#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform
{
struct WindowRecord
{
    // Fixed at creation.
    HWND hwnd = nullptr;
    DWORD threadId = 0;
    std::shared_ptr<MessageQueue> queue;
    std::shared_ptr<const WindowClass> wndClass;
    // Guarded by the table lock.
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{}; // a child's is relative to its parent
    std::wstring title;
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children; // in creation order
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra; // the class's cbWndExtra bytes
    long long zStamp = 0;
    // Destruction has begun: posts fail from here on.
    bool destroying = false;
};

class WindowTable
{
public:
    static WindowTable& Instance();

    std::shared_mutex& Lock() { return m_lock; }
    // Gives the record its handle and makes it findable.
    HWND Add(const std::shared_ptr<WindowRecord>& record);
    // Under the caller's lock (shared or exclusive).
    WindowRecord* FindLocked(HWND hwnd) const;
    void RemoveLocked(HWND hwnd);
    std::vector<HWND> WindowsLocked(const std::function<bool(const WindowRecord&)>& match) const;
    // Takes the lock itself.
    std::shared_ptr<WindowRecord> Find(HWND hwnd);
    long long NextZStamp() { return ++m_zCounter; }

    // Runs read(record) under the shared lock; false with ERROR_INVALID_WINDOW_HANDLE when the
    // window does not exist.
    template <class Reader> bool Read(HWND hwnd, Reader&& read)
    {
        std::shared_lock lock(m_lock);
        const WindowRecord* record = FindOrFail(hwnd);
        if (record != nullptr)
            read(*record);
        return record != nullptr;
    }
    template <class Writer> bool Write(HWND hwnd, Writer&& write)
    {
        std::unique_lock lock(m_lock);
        WindowRecord* record = FindOrFail(hwnd);
        if (record != nullptr)
            write(*record);
        return record != nullptr;
    }

    // Runs use(record) under the shared lock while the window lives and is not being destroyed;
    // false with ERROR_INVALID_WINDOW_HANDLE otherwise. Holding the lock across the use is what
    // orders a post or a new timer against DestroyWindow's purge.
    template <class Use> bool UseLive(HWND hwnd, Use&& use)
    {
        std::shared_lock lock(m_lock);
        WindowRecord* record = FindLocked(hwnd);
        const bool done = record != nullptr && !record->destroying && use(*record);
        if (!done)
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return done;
    }

private:
    WindowTable() = default;
    WindowRecord* FindOrFail(HWND hwnd) const;

    std::shared_mutex m_lock;
    std::unordered_map<HWND, std::shared_ptr<WindowRecord>> m_windows;
    ULONG_PTR m_nextHandle = 0x10010;
    long long m_zCounter = 0;
};
} // namespace platform
