#pragma once
// The product's file names on Linux, in one place. Programs are found by image name (the
// basename of the executable), so these are also the names process lookups compare with.
// The TLS and HTTP libraries are system libraries here and never travel with the product.

#include "common/base/Log.h"
#include "platform/Shell.h"
#include "platform/WinError.h"

#include <array>
#include <string>

namespace ProductFiles
{
inline constexpr const wchar_t* kMainProgram = L"Pictavo";
inline constexpr const wchar_t* kUpdateProgram = L"Update";
inline constexpr const wchar_t* kUninstProgram = L"Uninst";
inline constexpr const wchar_t* kSetupProgram = L"PictavoSetup";
// The window framework, found through the programs' rpath $ORIGIN.
inline constexpr const wchar_t* kUiLibrary = L"libDuiLib.so";
// The web view engine, loaded by name at run time.
inline constexpr const wchar_t* kWebViewLibrary = L"libwke.so";
// The icon the uninstall entry and shortcuts point at.
inline constexpr const wchar_t* kIconFile = L"icon.png";
inline constexpr const wchar_t* kConfigFile = L"config.ini";

// The release layout's files and folders (cmake/PictavoInstall.cmake): what an uninstaller
// removes by name when the install's manifest cannot be read.
inline constexpr std::array<const wchar_t*, 8> kReleaseFiles = {
    kMainProgram,    kUpdateProgram, kUninstProgram, kUiLibrary,
    kWebViewLibrary, kConfigFile,    kIconFile,      L"magick/policy.xml"};
inline constexpr std::array<const wchar_t*, 1> kReleaseFolders = {L"magick"};

// What the main program copies into the updater's temporary folder, in this order.
inline constexpr std::array<const wchar_t*, 2> kUpdaterCopyFiles = {kUpdateProgram, kUiLibrary};
// The libraries the setup program copies beside the installed programs, in this order.
inline constexpr std::array<const wchar_t*, 1> kSetupLibraryFiles = {kUiLibrary};

// A shortcut named name: a freedesktop entry file.
inline std::wstring ShortcutFileName(const std::wstring& name)
{
    return name + L".desktop";
}

// The uninstaller's self-delete script, a POSIX sh script in the temporary folder.
inline std::wstring SelfDeleteScriptName()
{
    return L"_uninstall_acc.sh";
}
// The updater's own one: both programs may leave a script behind at the same time.
inline std::wstring UpdaterSelfDeleteScriptName()
{
    return L"_update_acc.sh";
}

// What the product itself makes in its install folder while it runs (the setup's manifest
// does not list these): the main program's log folder, the update package folder, the crash
// reports of the programs, the settings file and the setup's manifest.
inline constexpr const wchar_t* kLogFolder = L"log";
inline constexpr const wchar_t* kManifestFile = L"install.manifest";
// A crash report lies beside its program as <program>.dmp.
inline std::wstring CrashReportFileName(const std::wstring& program)
{
    return program + L".dmp";
}

// The network driver tools of the Windows product, named in the uninstaller's log: the older
// systems' tool and the newer ones'. Neither exists here, so nothing is ever started.
inline const wchar_t* DriverToolFileName(bool olderSystem)
{
    return olderSystem ? L"devcon.exe" : L"tapinstall.exe";
}

// The update package folder below the install folder, the package and its version file. The
// folder cannot be called "Update" as on Windows: that is the updater program's own name here.
inline constexpr const wchar_t* kPackageFolder = L"UpdatePackage";
inline constexpr const wchar_t* kPackageFile = L"Update.zip";
inline constexpr const wchar_t* kPackageIniFile = L"update.ini";
// The updater's private folder, directly after the temporary path (which ends with "/").
inline constexpr const wchar_t* kUpdaterTempFolder = L"PictavoUpdate";
// The converter's temporary folder of one running Pictavo, directly after the temporary path:
// this prefix and the process id.
inline constexpr const wchar_t* kMagickTempFolderPrefix = L"pictavo-magick-";

// Opens a folder, a file or an http(s) address in the user's default program: ShellExecuteW
// "open" of the target itself, which the platform hands to the desktop's opener as one
// argument, never to a shell.
// A failure (no opener installed, the target gone) is logged: the user saw nothing happen.
inline bool OpenWithShell(const std::wstring& target)
{
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
    const auto code = reinterpret_cast<INT_PTR>(result);
    if (code > 32)
        return true;
    LOG_ERROR(L"OpenWithShell", L"cannot open %s: result=%d error=%d", target.c_str(), static_cast<int>(code),
              static_cast<int>(GetLastError()));
    return false;
}

// A program's name as another program may be called: a name that ends with the Windows
// program suffix (a download saved with it) loses it; any other stays as it is.
inline std::wstring WithoutProgramSuffix(const std::wstring& name)
{
    static const std::wstring suffix = L".exe";
    const bool ends =
        name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    return ends ? name.substr(0, name.size() - suffix.size()) : name;
}

// An icon of a skin (named without extension): the skins carry PNG images.
inline std::wstring SkinIconFileName(const std::wstring& stem)
{
    return stem + L".png";
}
} // namespace ProductFiles
