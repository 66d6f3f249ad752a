#pragma once
// The kernel object behind a file handle: one open descriptor, closed with the last reference.

#include "platform/KernelObject.h"

namespace platform
{
class FileObject : public KernelObject
{
public:
    explicit FileObject(int fd) : m_fd(fd) {}
    ~FileObject() override;

    int fd() const { return m_fd; }

private:
    int m_fd;
};
} // namespace platform
