#include "main/OutputNames.h"

#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// More copies of one name than anyone keeps in a folder; past it the conversion fails.
constexpr int kMostNumberedNames = 9999;

enum class Move
{
    Done,
    Taken,       // the name exists: try the next one
    Unsupported, // the file system lacks this way of moving
    Failed,
};

Move Classify(int result)
{
    if (result == 0)
        return Move::Done;
    if (errno == EEXIST)
        return Move::Taken;
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM)
        return Move::Unsupported;
    return Move::Failed;
}

// A rename that fails when the target exists (local file systems).
Move RenameNoReplace(const std::string& from, const std::string& to)
{
    return Classify(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
}

// Network file systems: a hard link fails on an existing name just as atomically.
Move LinkThenUnlink(const std::string& from, const std::string& to)
{
    const Move move = Classify(::link(from.c_str(), to.c_str()));
    if (move == Move::Done)
        ::unlink(from.c_str());
    return move;
}

// File systems without either: the name is claimed by creating it exclusively, then the
// output is renamed over that claim, which is ours.
Move ClaimThenRename(const std::string& from, const std::string& to)
{
    platform::UniqueFd claim(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!claim)
        return errno == EEXIST ? Move::Taken : Move::Failed;
    claim.reset();
    if (::rename(from.c_str(), to.c_str()) == 0)
        return Move::Done;
    const int saved = errno;
    ::unlink(to.c_str());
    errno = saved;
    return Move::Failed;
}

Move MoveOnce(const std::string& from, const std::string& to)
{
    Move move = RenameNoReplace(from, to);
    if (move == Move::Unsupported)
        move = LinkThenUnlink(from, to);
    if (move == Move::Unsupported)
        move = ClaimThenRename(from, to);
    return move;
}
} // namespace

std::string NumberedName(const std::string& path, int n)
{
    if (n <= 1)
        return path;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart)
        dot = path.size();
    return path.substr(0, dot) + " (" + std::to_string(n) + ")" + path.substr(dot);
}

bool MoveToFreeName(const std::string& tempPath, const std::string& finalPath, std::string& written)
{
    for (int n = 1; n <= kMostNumberedNames; ++n)
    {
        const std::string candidate = NumberedName(finalPath, n);
        const Move move = MoveOnce(tempPath, candidate);
        if (move == Move::Done)
        {
            written = candidate;
            return true;
        }
        if (move != Move::Taken)
            return false;
    }
    errno = EEXIST;
    return false;
}
