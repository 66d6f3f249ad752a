#pragma once
// A settings file that is read and rewritten by several processes at once. The file itself
// carries the lock (flock), so no lock file is left beside it; because every write replaces
// the file by rename, a locker checks after waiting that the path still names the file it
// locked, and locks the new one when it does not.

#include "platform/UniqueFd.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::store
{
class LockedFile
{
public:
    // Locks the file at path for writing, creating it empty when it is missing. Only a regular
    // file is taken: a symbolic link (dangling or not) or anything else at path is reported on
    // the debug channel and left alone, so a rewrite never lands outside the file's folder.
    explicit LockedFile(const std::string& path);
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // False when the file could not be opened or locked; the last error says why.
    bool IsLocked() const { return static_cast<bool>(m_fd); }
    // The locked file's contents.
    bool Read(std::string& bytes) const;
    // Writes a complete new file beside the old one, flushes it to disk and renames it over
    // the old one: readers see the old or the new contents, never a part, even when the
    // writer dies half-way. The file keeps its permissions.
    bool Replace(std::string_view bytes) const;

    // Reads a whole file without locking (replacement by rename keeps it consistent).
    // A missing file is not an error: exists is false and bytes empty. A link, a FIFO or
    // anything else that is not a regular file is refused at once (false, reported).
    static bool ReadPath(const std::string& path, std::string& bytes, bool& exists);

private:
    bool LockCurrentFile();
    bool WriteTemporary(std::string_view bytes, std::string& tempPath) const;

    std::string m_path;
    UniqueFd m_fd; // closing drops the lock
    mode_t m_mode = 0;
};
} // namespace platform::store
