// GetTempPathW: $TMPDIR, else a private folder of this user under /tmp.
#include "platform/files/PathText.h"
#include "platform/files/PrivateFolder.h"

#include "platform/Files.h"
#include "platform/ProductName.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer)
{
    std::string folder;
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && tmpdir[0] != '\0')
        folder = tmpdir;
    else
    {
        folder = "/tmp/" + platform::ProductName() + "-" + std::to_string(::geteuid());
        if (const DWORD err = platform::files::PreparePrivateFolder(folder); err != ERROR_SUCCESS)
        {
            SetLastError(err);
            return 0;
        }
    }
    if (folder.back() != '/')
        folder += '/';
    return platform::files::CopyToBuffer(platform::FromUtf8(folder), bufferLength, buffer);
}
