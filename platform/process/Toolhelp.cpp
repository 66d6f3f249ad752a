// The process snapshot: a list taken once from /proc and walked through its handle.
#include "platform/process/ProcessImage.h"

#include "platform/Process.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace
{
class SnapshotObject : public platform::KernelObject
{
public:
    explicit SnapshotObject(std::vector<PROCESSENTRY32W> entries) : m_entries(std::move(entries)) {}

    // Copies the entry at `index` (or the next one when index is negative) into the caller's.
    BOOL Read(LPPROCESSENTRY32W entry, bool first)
    {
        if (entry == nullptr || entry->dwSize < sizeof(PROCESSENTRY32W))
        {
            SetLastError(ERROR_BAD_LENGTH);
            return FALSE;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        if (first)
            m_next = 0;
        if (m_next >= m_entries.size())
        {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        const DWORD size = entry->dwSize;
        *entry = m_entries[m_next++];
        entry->dwSize = size;
        return TRUE;
    }

private:
    std::mutex m_lock;
    std::vector<PROCESSENTRY32W> m_entries;
    std::size_t m_next = 0;
};

bool ReadEntry(DWORD processId, PROCESSENTRY32W& entry)
{
    const std::string path = platform::ImagePathOf(processId);
    platform::ProcessStat stat;
    if (path.empty() || !platform::ReadProcessStat(processId, stat))
        return false;
    const std::wstring name = platform::FromUtf8(path.substr(path.rfind('/') + 1));
    entry = PROCESSENTRY32W{};
    entry.dwSize = sizeof(PROCESSENTRY32W);
    entry.th32ProcessID = processId;
    entry.th32ParentProcessID = stat.parentId;
    entry.cntThreads = stat.threads;
    const std::size_t length = std::min<std::size_t>(name.size(), MAX_PATH - 1);
    std::copy_n(name.begin(), length, entry.szExeFile);
    entry.szExeFile[length] = 0;
    return true;
}

std::vector<PROCESSENTRY32W> ListProcesses()
{
    std::vector<PROCESSENTRY32W> entries;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return entries;
    while (const dirent* item = ::readdir(proc))
    {
        char* end = nullptr;
        const unsigned long id = std::strtoul(item->d_name, &end, 10);
        PROCESSENTRY32W entry;
        if (*end == 0 && id != 0 && ReadEntry(static_cast<DWORD>(id), entry))
            entries.push_back(entry);
    }
    ::closedir(proc);
    return entries;
}

BOOL ReadSnapshot(HANDLE snapshot, LPPROCESSENTRY32W entry, bool first)
{
    platform::HandleRef<SnapshotObject> object(platform::ReferenceHandleAs<SnapshotObject>(snapshot));
    if (!object)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return object->Read(entry, first);
}
} // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD)
{
    if ((flags & TH32CS_SNAPPROCESS) == 0)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    return platform::RegisterHandle(new SnapshotObject(ListProcesses()));
}

BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry)
{
    return ReadSnapshot(snapshot, entry, true);
}

BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry)
{
    return ReadSnapshot(snapshot, entry, false);
}
