#pragma once
// An installed Pictavo for the update tests, as the setup program leaves it: a folder with
// the real built programs, libDuiLib.so, config.ini and the magick policy, and the product
// key's values in this test's registry store. Also the update packages made from it.

#include <functional>
#include <string>
#include <vector>

namespace updatekit
{
// The built programs (set by the suite's compile definitions).
std::string BuiltPictavo();
std::string BuiltUpdate();
std::string BuiltUiLibrary();
std::string BuiltMagickFolder();

// The setup's manifest of an install made by MakeInstall.
extern const char* const kInstallManifest;
// Makes folder (parents too) an install of version versionStr: hard links to the built files
// when link (cheap, and safe since an update renames files and never writes into them), else
// copies; config.ini asks versionUrl (may be empty) and holds the user's LogLevel=1 and
// out_dir=/keep/this. Registers the folder in the product key.
void MakeInstall(const std::string& folder, const std::string& versionStr, const std::string& versionUrl,
                 bool link);
// Sets the product key's values the setup program writes.
void Register(const std::string& folder, const std::string& versionStr);
std::string RegistryValue(const wchar_t* name);

// The package's config.ini: other values for the user's keys, an empty version and new_key.
extern const char* const kPackageConfig;
// A package folder tree for version: Pictavo and libDuiLib.so of the build with marker appended
// (they still run and load), a changed help file, files in a new folder and kPackageConfig.
void MakePackageTree(const std::string& tree, const std::string& marker);
// zip -r of a folder's contents; true when zip succeeded.
bool ZipFolder(const std::string& folder, const std::string& zipPath);
// The files a package of MakePackageTree replaces or adds, relative to the install folder.
std::vector<std::string> PackageFiles();

// A file's size and last bytes: tells the versions of a file apart without reading the large
// programs whole. Empty when the file is missing.
std::string Signature(const std::string& path);
// The pid of a process running the program file at path, or -1.
int FindRunning(const std::string& path);
// Waits up to timeoutMs for a condition, polling.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);
} // namespace updatekit
