// Mutexes. Ownership (WaitForSingleObject / ReleaseMutex) is private to the process and
// re-entrant for the owning thread. A named mutex also holds an flock on a lock file in the
// runtime folder for as long as its handle is open: that lock is what another instance sees,
// and the kernel drops it when the process dies, however it dies.
#include "platform/kernel/Waitable.h"

#include "platform/Kernel.h"
#include "platform/UniqueFd.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

namespace platform
{
namespace
{
class MutexObject : public Waitable
{
public:
    explicit MutexObject(UniqueFd lockFd) : m_lockFd(std::move(lockFd)) {}

    void TakeOwnership()
    {
        std::lock_guard<std::mutex> lock(StateLock());
        AcquireLocked();
    }
    bool ReleaseOwnership();

    bool IsSignalledLocked() const override { return m_owner == 0 || m_owner == GetCurrentThreadId(); }
    void AcquireLocked() override
    {
        m_owner = GetCurrentThreadId();
        ++m_count;
    }

private:
    const UniqueFd m_lockFd;
    DWORD m_owner = 0;
    DWORD m_count = 0;
};

bool MutexObject::ReleaseOwnership()
{
    std::lock_guard<std::mutex> lock(StateLock());
    if (m_owner == 0 || m_owner != GetCurrentThreadId())
        return false;
    if (--m_count == 0)
    {
        m_owner = 0;
        NotifyStateChanged();
    }
    return true;
}

// Lock file names keep letters, digits, '.', '_' and '-' and write every other byte of the
// UTF-8 name as %XX, so that distinct names never share a file and no name leaves the folder.
// Very long names are cut and given a hash of the whole name to stay distinct and legal.
constexpr size_t kMaxEncodedName = 200;

bool IsSafeNameByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

std::string HashName(std::string_view bytes)
{
    unsigned long long hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : bytes)
        hash = (hash ^ c) * 1099511628211ull;
    char text[20];
    std::snprintf(text, sizeof(text), "%016llx", hash);
    return text;
}

std::string LockFileName(std::wstring_view name)
{
    const std::string utf8 = ToUtf8(name);
    std::string encoded;
    for (unsigned char c : utf8)
    {
        if (IsSafeNameByte(c))
        {
            encoded.push_back(static_cast<char>(c));
            continue;
        }
        char escape[4];
        std::snprintf(escape, sizeof(escape), "%%%02X", c);
        encoded += escape;
    }
    if (encoded.size() > kMaxEncodedName)
        encoded = encoded.substr(0, kMaxEncodedName - 17) + "-" + HashName(utf8);
    return encoded + ".lock";
}

// Opens (creating it) the lock file of a name; -1 with the last error set on failure.
int OpenLockFile(std::wstring_view name)
{
    const std::string folder = RuntimeDir();
    if (folder.empty())
        return -1;
    const std::string path = folder + "/" + LockFileName(name);
    // close-on-exec: a child process must not inherit, and so keep, this instance's lock
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        SetLastErrorFromErrno();
    return fd;
}

enum class LockResult
{
    Taken,
    HeldElsewhere,
    Failed
};

LockResult TryLock(int fd)
{
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return LockResult::Taken;
    if (errno == EWOULDBLOCK)
        return LockResult::HeldElsewhere;
    SetLastErrorFromErrno();
    return LockResult::Failed;
}
} // namespace
} // namespace platform

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name)
{
    platform::UniqueFd fd;
    bool alreadyExists = false;
    if (name != nullptr && name[0] != L'\0')
    {
        fd.reset(platform::OpenLockFile(name));
        if (!fd)
            return nullptr;
        const platform::LockResult result = platform::TryLock(fd.get());
        if (result == platform::LockResult::Failed)
            return nullptr;
        alreadyExists = result == platform::LockResult::HeldElsewhere;
    }
    auto* mutex = new platform::MutexObject(std::move(fd));
    if (initialOwner && !alreadyExists)
        mutex->TakeOwnership();
    SetLastError(alreadyExists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return platform::RegisterHandle(mutex);
}

BOOL ReleaseMutex(HANDLE handle)
{
    platform::HandleRef<platform::MutexObject> mutex(
        platform::ReferenceHandleAs<platform::MutexObject>(handle));
    if (!mutex)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->ReleaseOwnership())
    {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
