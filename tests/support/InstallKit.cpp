#include "tests/support/InstallKit.h"

#include "common/install/RegSettings.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace updatekit
{
std::string BuiltPictavo()
{
    return PICTAVO_PROGRAM;
}

std::string BuiltUpdate()
{
    return PICTAVO_UPDATE_PROGRAM;
}

std::string BuiltUiLibrary()
{
    return PICTAVO_UI_LIBRARY;
}

std::string BuiltMagickFolder()
{
    return PICTAVO_MAGICK_CONFIG_DIR;
}

namespace
{
void Place(const std::string& source, const std::string& target, bool link)
{
    std::error_code ec;
    fs::remove(target, ec);
    if (link)
        fs::create_hard_link(source, target, ec);
    if (!link || ec)
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
}
} // namespace

const char* const kInstallManifest = "PICTAVO-MANIFEST 1\nD magick\nF Pictavo\nF Update\nF libDuiLib.so\n"
                                     "F magick/policy.xml\nF help.txt\nF readme.txt\nF license.txt\n"
                                     "F config.ini\n";

void MakeInstall(const std::string& folder, const std::string& versionStr, const std::string& versionUrl,
                 bool link)
{
    fs::create_directories(folder + "/magick");
    Place(BuiltPictavo(), folder + "/Pictavo", link);
    Place(BuiltUpdate(), folder + "/Update", link);
    Place(BuiltUiLibrary(), folder + "/libDuiLib.so", link);
    Place(BuiltMagickFolder() + "/policy.xml", folder + "/magick/policy.xml", link);
    testsupport::WriteFile(folder + "/help.txt", "help of " + versionStr + "\n");
    testsupport::WriteFile(folder + "/readme.txt", "readme of " + versionStr + "\n");
    testsupport::WriteFile(folder + "/license.txt", "license of " + versionStr + "\n");
    testsupport::WriteFile(folder + "/config.ini", "[Config]\nversion_url=" + versionUrl +
                                                       "\nversion=" + versionStr +
                                                       "\n[CONFIG]\nLogLevel=1\nout_dir=/keep/this\n");
    testsupport::WriteFile(folder + "/install.manifest", kInstallManifest);
    Register(folder, versionStr);
}

void Register(const std::string& folder, const std::string& versionStr)
{
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    ASSERT_TRUE(reg.IsOpen());
    reg.SetValue(L"appname", L"Pictavo");
    reg.SetValue(L"version_str", testsupport::Wide(versionStr).c_str());
    reg.SetValue(L"version", L"");
    reg.SetValue(L"channel", L"guanwan");
    reg.SetValue(L"installDir", testsupport::Wide(folder).c_str());
    reg.SetValue(L"MachineId", L"0123456789abcdef0123456789abcdef");
}

std::string RegistryValue(const wchar_t* name)
{
    return testsupport::Narrow(ReadProductRegValue(name, 1024));
}

const char* const kPackageConfig = "[Config]\nversion_url=http://package.invalid/version\nversion=\n"
                                   "new_key=from the package\n[MACHINE]\nMachineId=\n";

void MakePackageTree(const std::string& tree, const std::string& marker)
{
    fs::create_directories(tree + "/docs/new");
    fs::copy_file(BuiltPictavo(), tree + "/Pictavo", fs::copy_options::overwrite_existing);
    fs::copy_file(BuiltUiLibrary(), tree + "/libDuiLib.so", fs::copy_options::overwrite_existing);
    for (const char* name : {"/Pictavo", "/libDuiLib.so"})
    {
        std::ofstream out(tree + name, std::ios::binary | std::ios::app);
        out << marker;
    }
    testsupport::WriteFile(tree + "/help.txt", "help of " + marker + "\n");
    testsupport::WriteFile(tree + "/readme.txt", "readme of " + marker + "\n");
    testsupport::WriteFile(tree + "/license.txt", "license of " + marker + "\n");
    for (const char* name : {"notes", "tips", "faq"})
        testsupport::WriteFile(tree + "/docs/new/" + name + ".txt", name + (" of " + marker) + "\n");
    testsupport::WriteFile(tree + "/config.ini", kPackageConfig);
}

std::vector<std::string> PackageFiles()
{
    return {"Pictavo",     "libDuiLib.so",       "help.txt",          "readme.txt",
            "license.txt", "docs/new/notes.txt", "docs/new/tips.txt", "docs/new/faq.txt"};
}

bool ZipFolder(const std::string& folder, const std::string& zipPath)
{
    const std::string command = "cd '" + folder + "' && zip -qrX '" + zipPath + "' .";
    return std::system(command.c_str()) == 0;
}

std::string Signature(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff size = in.tellg();
    const std::streamoff tail = std::min<std::streamoff>(size, 64);
    std::string bytes(static_cast<size_t>(tail), '\0');
    in.seekg(size - tail);
    in.read(bytes.data(), tail);
    return std::to_string(size) + ":" + bytes;
}

int FindRunning(const std::string& path)
{
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        std::error_code ec;
        if (fs::read_symlink(entry.path() / "exe", ec) == path)
            return std::atoi(entry.path().filename().c_str());
    }
    return -1;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done())
    {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
} // namespace updatekit
