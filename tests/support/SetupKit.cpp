#include "tests/support/SetupKit.h"

#include "common/install/RegSettings.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace setuptest
{
namespace
{
// The applications and program folders of the private HOME, also when the tests run as root.
const bool g_userFolders = ::setenv("PICTAVO_USER_FOLDERS", "1", 1) == 0;

void SwapEnv(const char* name, std::string& value)
{
    const char* old = std::getenv(name);
    const std::string previous = old != nullptr ? old : "";
    ::setenv(name, value.c_str(), 1);
    value = previous;
}
} // namespace

ProgressWindow::ProgressWindow()
    : m_window(WM_INSTALL_PROGRESS, [this](WPARAM record) {
          m_records.push_back(
              *std::unique_ptr<InstallProgressRecord>(reinterpret_cast<InstallProgressRecord*>(record)));
      })
{
    g_hSetupWnd = m_window.hwnd();
}

ProgressWindow::~ProgressWindow()
{
    g_hSetupWnd = nullptr;
}

const std::vector<InstallProgressRecord>& ProgressWindow::WaitFor(const CInstallMgr& worker)
{
    m_window.PumpUntilEnded([&] { return worker.IsRunning(); });
    return m_records;
}

SetupFolder::SetupFolder(const std::vector<std::pair<std::string, std::string>>& payload)
{
    for (const auto& [name, bytes] : payload)
    {
        const fs::path file = fs::path(m_dir.path()) / "PictavoInstaller" / name;
        fs::create_directories(file.parent_path());
        testsupport::WriteFile(file.string(), bytes);
    }
    fs::create_directories(m_dir / "PictavoInstaller");
    testsupport::WriteFile(m_dir / "libDuiLib.so", "framework library");
    m_previous = fs::current_path().string();
    fs::current_path(m_dir.path());
    // A registry, rule store and HOME of this folder's own.
    m_home = m_dir / "home";
    m_state = m_dir / "state";
    fs::create_directories(m_home);
    fs::create_directories(m_state);
    m_data = m_home + "/.local/share";
    SwapEnv("HOME", m_home);
    SwapEnv("PICTAVO_STATE_DIR", m_state);
    SwapEnv("XDG_DATA_HOME", m_data);
}

SetupFolder::~SetupFolder()
{
    SwapEnv("HOME", m_home);
    SwapEnv("PICTAVO_STATE_DIR", m_state);
    SwapEnv("XDG_DATA_HOME", m_data);
    fs::current_path(m_previous);
}

std::wstring IniValue(const std::string& ini, const wchar_t* section, const wchar_t* key)
{
    wchar_t buffer[1024] = {};
    GetPrivateProfileStringW(section, key, L"", buffer, 1024, testsupport::Wide(ini).c_str());
    return buffer;
}

std::wstring RegValue(const wchar_t* key, const wchar_t* name)
{
    wchar_t buffer[1024] = {};
    CRegSettings settings(HKEY_LOCAL_MACHINE, key, false, false);
    settings.GetValue(name, buffer, 1024 * 2);
    return buffer;
}

std::wstring ProductValue(const wchar_t* name)
{
    return RegValue(kProductRegKey, name);
}
} // namespace setuptest
