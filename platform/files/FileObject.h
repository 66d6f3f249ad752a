#pragma once
// The kernel object behind a file handle: one open descriptor, closed with the last reference.

#include "platform/KernelObject.h"
#include "platform/UniqueFd.h"

namespace platform
{
class FileObject : public KernelObject
{
public:
    explicit FileObject(int fd) : m_fd(fd) {}

    int fd() const { return m_fd.get(); }

private:
    const UniqueFd m_fd;
};
} // namespace platform
