#include "common/install/Shortcut.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/install/ProductFiles.h"

#include "platform/DesktopEntry.h"
#include "platform/Shell.h"

namespace
{
constexpr const wchar_t* kUninstallPrefix = L"卸载 ";

std::wstring SpecialFolder(int csidl, bool create)
{
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, create ? (csidl | CSIDL_FLAG_CREATE) : csidl, &list)))
        return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(list, path);
    ILFree(list);
    return found ? std::wstring(path) : std::wstring();
}

bool IsMenu(int csidl)
{
    return csidl == CSIDL_COMMON_STARTMENU || csidl == CSIDL_STARTMENU;
}

platform::DesktopEntry EntryOf(const ShortcutInfo& info, const wchar_t* name, const wchar_t* target)
{
    platform::DesktopEntry entry;
    entry.name = name;
    entry.program = target;
    entry.workingDir = info.workingFolder;
    entry.comment = info.description;
    if (info.iconPath[0] != 0 && PathExists(info.iconPath, 0) == 0)
        entry.icon = info.iconPath;
    return entry;
}
} // namespace

std::wstring MenuFolder(const std::wstring& name)
{
    const std::wstring applications = SpecialFolder(CSIDL_COMMON_STARTMENU, false);
    return applications.empty() ? std::wstring() : applications + L"/" + name;
}

std::wstring ShortcutPath(const std::wstring& name, int csidl)
{
    if (csidl == CSIDL_DESKTOP)
    {
        const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP, false);
        return desktop.empty() ? std::wstring() : desktop + L"/" + ProductFiles::ShortcutFileName(name);
    }
    if (IsMenu(csidl))
    {
        const std::wstring folder = MenuFolder(name);
        return folder.empty() ? std::wstring() : folder + L"/" + ProductFiles::ShortcutFileName(name);
    }
    return {};
}

std::wstring UninstallShortcutPath(const std::wstring& name)
{
    const std::wstring folder = MenuFolder(name);
    return folder.empty() ? std::wstring()
                          : folder + L"/" + ProductFiles::ShortcutFileName(kUninstallPrefix + name);
}

bool CreateShortcut(const ShortcutInfo& info, int csidl)
{
    const std::wstring name = info.name;
    if (name.empty() || info.target[0] == 0)
        return false;
    if (csidl == CSIDL_DESKTOP)
    {
        const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP, false);
        if (desktop.empty() || !IsDirectory(desktop))
        {
            LOG_INFO(L"CreateShortcut", L"no desktop folder [%s], no desktop entry", desktop.c_str());
            return false;
        }
        const std::wstring path = ShortcutPath(name, csidl);
        if (!platform::WriteDesktopEntry(path, EntryOf(info, info.name, info.target), true))
            return false;
        platform::MarkDesktopEntryTrusted(path);
        return true;
    }
    if (!IsMenu(csidl))
    {
        LOG_INFO(L"CreateShortcut", L"folder %d does not exist here, skipped", csidl);
        return false;
    }
    if (SpecialFolder(CSIDL_COMMON_STARTMENU, true).empty() || !CreateDirectoryTree(MenuFolder(name)))
        return false;
    bool result =
        platform::WriteDesktopEntry(ShortcutPath(name, csidl), EntryOf(info, info.name, info.target), false);
    if (info.uninstallTarget[0] != 0)
    {
        const std::wstring uninstallName = kUninstallPrefix + name;
        result = platform::WriteDesktopEntry(
            UninstallShortcutPath(name), EntryOf(info, uninstallName.c_str(), info.uninstallTarget), false);
    }
    return result;
}
