#pragma once
// install.ini, the small settings file that travels beside the setup program, read afresh on
// every use; and the distribution channel, which may also come from the name of the program
// that started the setup.

#include "common/base/StringHelper.h"

#include <string>

// The name of the parent process without a Windows program suffix (set once at start-up).
extern std::wstring g_strParentName;

// A file beside the setup program: start-up makes the setup's folder the current folder, and
// everything that travels with it (install.ini, the payload, the library) is found from there.
std::wstring BesideSetup(const std::wstring& name);
std::wstring InstallIniPath();
// [CONFIG] appname, "Pictavo" when missing. The value names files (entries, the menu folder,
// the rule), so one that is not a plain name gives "Pictavo" too.
std::wstring ReadInstallAppName();
std::wstring ReadInstallVersion();
// [CONFIG] channel, else the parent's name after its first "_", else "guanwan".
std::wstring ReadInstallChannel();
std::wstring GetSetupTitle();
std::wstring GetPublisherName();
std::wstring GetPublisherUrl();
// The parent's image name as g_strParentName keeps it: the suffix stripped only when present.
std::wstring ParentNameOf(const std::wstring& imagePath);
