#include "platform/shell/SpecialFolders.h"

#include "platform/ProductName.h"
#include "platform/Shell.h"
#include "platform/Utf.h"
#include "platform/shell/UserDirs.h"

#include <unistd.h>

#include <cstdlib>

#include <filesystem>

namespace platform
{
namespace
{
constexpr int kFlagBits = 0xFF00;

std::string ProgramFiles(bool root)
{
    return root ? "/opt" : UserDirs::Home() + "/.local/opt";
}

std::string Applications(bool root)
{
    return root ? "/usr/share/applications" : UserDirs::DataHome() + "/applications";
}

std::string FolderOf(int csidl, bool root)
{
    switch (csidl)
    {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        return UserDirs::Lookup("DESKTOP", "Desktop");
    case CSIDL_PERSONAL:
    case CSIDL_COMMON_DOCUMENTS:
        return UserDirs::Lookup("DOCUMENTS", "Documents");
    case CSIDL_PROGRAM_FILES:
    case CSIDL_PROGRAM_FILESX86:
        return ProgramFiles(root);
    case CSIDL_APPDATA:
    case CSIDL_COMMON_APPDATA:
        return UserDirs::ConfigHome();
    // The start menu and its "Programs" folder are both the applications folder: menus are
    // built from the entries found there, so there is no level between them.
    case CSIDL_STARTMENU:
    case CSIDL_COMMON_STARTMENU:
    case CSIDL_PROGRAMS:
    case CSIDL_COMMON_PROGRAMS:
        return Applications(root);
    default:
        return {};
    }
}
} // namespace

bool SpecialFolders::IsRoot()
{
    // <NAME>_USER_FOLDERS=1 keeps root in its own home's folders: a private install, and
    // tests that run as root without touching /opt or /usr/share.
    const char* user = std::getenv(ProductVariable("USER_FOLDERS").c_str());
    return ::geteuid() == 0 && !(user != nullptr && std::string(user) == "1");
}

std::wstring SpecialFolders::PathOf(int csidl)
{
    return FromUtf8(FolderOf(csidl & ~kFlagBits, IsRoot()));
}

bool SpecialFolders::Ensure(const std::wstring& folder)
{
    std::error_code error;
    const std::filesystem::path path(ToUtf8(folder));
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}
} // namespace platform
