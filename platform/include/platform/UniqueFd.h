#pragma once
// A POSIX file descriptor owned by a scope or an object: ::close on destruction, -1 when empty.
//
//   const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
//   if (!fd)
//       return false;

#include "platform/UniqueValue.h"

#include <unistd.h>

namespace platform
{
struct FdTraits
{
    using Value = int;
    static constexpr int Empty() noexcept { return -1; }
    static constexpr bool IsValid(int fd) noexcept { return fd >= 0; }
    static bool Close(int fd) noexcept { return ::close(fd) == 0; }
};

using UniqueFd = UniqueValue<FdTraits>;
} // namespace platform
