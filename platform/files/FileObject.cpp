#include "platform/files/FileObject.h"

#include "platform/Files.h"
#include "platform/WinError.h"

#include <unistd.h>

namespace platform
{
HANDLE RegisterFileDescriptor(int fd)
{
    if (fd < 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return RegisterHandle(new FileObject(fd));
}

int FileDescriptorOf(HANDLE file)
{
    HandleRef<FileObject> object(ReferenceHandleAs<FileObject>(file));
    if (!object)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    return object->fd();
}
} // namespace platform
