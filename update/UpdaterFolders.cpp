#include "update/UpdaterFolders.h"

#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"

#include "platform/Win32.h"

namespace
{
constexpr DWORD kRegPathBytes = 1024; // installDir as the setup wrote it
} // namespace

bool IsRegisteredInstall(const std::wstring& folder)
{
    const std::wstring registered = ReadProductRegValue(L"installDir", kRegPathBytes);
    const std::wstring real = RealPath(folder);
    return !registered.empty() && !real.empty() && RealPath(registered) == real &&
           PathExists(real + L"/" + ProductFiles::kMainProgram, 0) == 0;
}

bool IsOwnTemporaryCopy(const std::wstring& folder)
{
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::wstring own = RealPath(std::wstring(temp) + ProductFiles::kUpdaterTempFolder);
    return !own.empty() && RealPath(folder) == own;
}
