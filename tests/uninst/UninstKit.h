#pragma once
// What the uninstaller suites share: a real install made by the setup's own worker from a
// payload written at test time, and a headless window of the test thread that collects the
// uninstall worker's records (with the time each one came) and the request manager's replies.

#include "tests/support/SetupKit.h"
#include "uninst/UninstMgr.h"

#include <chrono>
#include <string>
#include <vector>

namespace uninsttest
{
struct ReceivedRecord
{
    UninstallProgressRecord record;
    std::chrono::steady_clock::time_point at;
};

class RecordWindow
{
public:
    RecordWindow();
    ~RecordWindow();
    RecordWindow(const RecordWindow&) = delete;
    RecordWindow& operator=(const RecordWindow&) = delete;

    HWND hwnd() const { return m_window.hwnd(); }
    // Runs the worker on installDir and pumps messages until it has ended and its records
    // have come (or 20 s passed).
    const std::vector<ReceivedRecord>& Uninstall(CUninstMgr& worker, const std::string& installDir);
    // Pumps messages until count replies of the request manager came (or 10 s passed).
    bool WaitForReplies(int count) { return m_window.WaitForReplies(count); }

private:
    std::vector<ReceivedRecord> m_records;
    setuptest::WorkerWindow m_window;
};

// The payload every install of these suites copies: the programs, config.ini, the icon and a
// subfolder.
const std::vector<std::pair<std::string, std::string>>& Payload();
// Installs the payload with the setup's worker into installDir (made first with the folders
// above it that are missing, and these then recorded as the setup's own), desktop and menu
// entries included. The current
// folder must be a setuptest::SetupFolder.
void Install(const std::string& installDir);
} // namespace uninsttest
