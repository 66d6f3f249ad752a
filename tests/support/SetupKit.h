#pragma once
// What the setup suites share: a headless window of the test thread that collects the install
// worker's progress records, and a setup folder with a payload made at test time.

#include "setup/InstallMgr.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WorkerWindow.h"

#include <string>
#include <vector>

namespace setuptest
{
class ProgressWindow
{
public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND hwnd() const { return m_window.hwnd(); }
    // Pumps messages until the worker has ended and its records have arrived (or 20 s passed).
    const std::vector<InstallProgressRecord>& WaitFor(const CInstallMgr& worker);
    // Pumps messages until count replies of the request manager came (or 10 s passed); the
    // window deletes them as the setup window does. True when they came.
    bool WaitForReplies(int count) { return m_window.WaitForReplies(count); }

private:
    std::vector<InstallProgressRecord> m_records;
    WorkerWindow m_window;
};

// A folder laid out as dist/: the payload folder with the given files (relative path ->
// contents) and libDuiLib.so beside it. Until the object ends, the test's current folder is
// this folder (as the setup's start-up makes it), and HOME (with its XDG_DATA_HOME) and the
// state folder are fresh folders inside it.
class SetupFolder
{
public:
    explicit SetupFolder(const std::vector<std::pair<std::string, std::string>>& payload);
    ~SetupFolder();
    const std::string& path() const { return m_dir.path(); }

private:
    testsupport::TempDir m_dir{"setup"};
    std::string m_previous;
    std::string m_home;
    std::string m_state;
    std::string m_data;
};

// Sections of config.ini and the registry read back as text.
std::wstring IniValue(const std::string& ini, const wchar_t* section, const wchar_t* key);
std::wstring ProductValue(const wchar_t* name);
std::wstring RegValue(const wchar_t* key, const wchar_t* name);
} // namespace setuptest
