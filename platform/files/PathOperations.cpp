#include "platform/files/PathOperations.h"

#include "platform/files/FileIo.h"
#include "platform/files/PathText.h"

#include "platform/Files.h"
#include "platform/PathParts.h"
#include "platform/ProductName.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files
{
namespace
{
bool IsFolder(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// File systems without RENAME_NOREPLACE: a hard link cannot replace either, so link then
// drop the old name; folders (which cannot be linked) fall back to check-then-rename.
int LinkInsteadOfRename(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) == 0)
        return ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (errno == EEXIST || !IsFolder(from))
        return errno;
    if (::access(to.c_str(), F_OK) == 0 || errno != ENOENT)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Bytes, permission bits (never set-id bits) and times of source into the open temporary file.
int FillCopy(int source, int target)
{
    struct stat info = {};
    if (::fstat(source, &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (const int err = CopyContents(source, target); err != 0)
        return err;
    const timespec times[2] = {info.st_atim, info.st_mtim};
    if (::fchmod(target, info.st_mode & 0777) != 0 || ::futimens(target, times) != 0)
        return errno;
    return ::fsync(target) == 0 ? 0 : errno;
}

int Publish(const std::string& temporary, const std::string& to, bool failIfExists)
{
    if (!failIfExists)
        return ::rename(temporary.c_str(), to.c_str()) == 0 ? 0 : errno;
    // Only a name that cannot be taken meanwhile: link the finished copy, never rename over.
    return ::link(temporary.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SyncMovedFile(const std::string& to)
{
    platform::UniqueFd fd(::open(to.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (fd && ::fsync(fd.get()) != 0)
        return errno;
    return SyncFolder(ParentFolder(to));
}

int CopyThenDelete(const std::string& from, const std::string& to, bool replace)
{
    if (IsFolder(from))
        return EXDEV; // folders do not move between file systems, as on Windows
    if (const int err = CopyRegularFile(from, to, !replace); err != 0)
        return err;
    return ::unlink(from.c_str()) == 0 ? 0 : errno;
}
} // namespace

int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno == EINVAL || errno == ENOSYS)
        return LinkInsteadOfRename(from, to);
    return errno;
}

int CopyRegularFile(const std::string& from, const std::string& to, bool failIfExists)
{
    platform::UniqueFd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source)
        return errno;
    if (failIfExists && (::access(to.c_str(), F_OK) == 0 || errno != ENOENT))
        return EEXIST;
    const std::string folder = ParentFolder(to);
    std::string temporary = folder + "/." + platform::ProductName() + "-copy-XXXXXX";
    platform::UniqueFd target(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!target)
        return errno;
    int err = FillCopy(source.get(), target.get());
    if (err == 0)
        err = Publish(temporary, to, failIfExists);
    if (err != 0 || failIfExists)
        ::unlink(temporary.c_str());
    return err;
}

int MovePath(const std::string& from, const std::string& to, unsigned flags)
{
    const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    int err = replace ? (::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno) : RenameNoReplace(from, to);
    if (err == EXDEV && (flags & MOVEFILE_COPY_ALLOWED) != 0)
        err = CopyThenDelete(from, to, replace);
    if (err == 0 && (flags & MOVEFILE_WRITE_THROUGH) != 0)
        err = SyncMovedFile(to);
    return err;
}
} // namespace platform::files
