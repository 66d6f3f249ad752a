#pragma once
// The chosen files written into an OPENFILENAMEW the way callers split them: one file as its
// full path with nFileOffset at the name, several as "folder\0name\0...\0\0" with nFileOffset at
// the first name. Either all of it fits, or nothing is written.

#include "platform/Dialogs.h"

#include <string>
#include <vector>

namespace platform
{
class OpenFileResult
{
public:
    // 0 when written, else the CommDlgExtendedError code (FNERR_BUFFERTOOSMALL, ...).
    static DWORD Write(OPENFILENAMEW& ofn, const std::vector<std::wstring>& paths);
    // The folder that holds all the paths (the deepest one they share).
    static std::wstring CommonFolder(const std::vector<std::wstring>& paths);

private:
    struct Layout
    {
        std::wstring text; // with every zero, the closing ones included
        size_t nameOffset = 0;
        size_t extensionOffset = 0;
        std::wstring firstName;
    };
    static Layout OneFile(const std::wstring& path);
    static Layout SeveralFiles(const std::vector<std::wstring>& paths);
};
} // namespace platform
