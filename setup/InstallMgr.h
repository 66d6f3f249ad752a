#pragma once
// The installation, on one worker thread: stops the product's running programs, copies the
// payload folder beside the setup into the install folder, makes the machine id, copies the
// framework library, writes the registry values the other programs read, the uninstall entry,
// the firewall rule and the desktop entries. Each step posts a progress record to the setup
// window.

#include "common/base/WorkerThread.h"
#include "common/install/InstallManifest.h"
#include "common/install/RegSettings.h"

#include "platform/Win32.h"

#include <atomic>
#include <string>
#include <vector>

constexpr UINT WM_INSTALL_PROGRESS = 2025;

// Posted with its address in wParam; the receiving window deletes it.
struct InstallProgressRecord
{
    int percent = 0;
    int error = 0; // 0 succeeded, -1 failed
    std::wstring message;
};

// Set by the setup window; the worker posts its records there.
extern HWND g_hSetupWnd;
// The machine id once the worker made it; read by the window for the statistics.
extern std::wstring g_strMachineId;
extern int g_nCopiedFiles;

// The payload folder beside the setup program, relative to the current folder.
inline constexpr const wchar_t* kPayloadFolder = L"PictavoInstaller";

class CInstallMgr
{
public:
    CInstallMgr() = default;
    CInstallMgr(const CInstallMgr&) = delete;
    CInstallMgr& operator=(const CInstallMgr&) = delete;
    // Stops a running worker between two files and waits for it.
    ~CInstallMgr();

    void SetInstallDir(const std::wstring& dir);
    void SetShortcutOptions(bool desktop, bool quickLaunch);
    // The folders the setup made for the install, outermost first (recorded for the
    // uninstaller, with "installDirCreated" for the install folder itself).
    void SetCreatedFolders(const std::vector<std::wstring>& folders);
    bool BeginInstallThread();
    bool IsRunning() const { return m_running.load(); }
    // Asks the worker to stop before its next file; the copy then fails.
    void RequestStop() { m_stop.store(true); }

    static unsigned InstallProc(void* param);
    void IntallSoftware();
    bool CopyInstallFile(int percent);
    bool WriteMachineInfo(int percent);
    bool CopyDependFile(int percent);
    bool AfterInstall(int percent);
    // Copies srcDir's tree over destDir; relative names the place below the install folder.
    bool CoverFile(const std::wstring& destDir, const std::wstring& srcDir, const std::wstring& relative);
    void PostProgress(const InstallProgressRecord& rec);

private:
    // Ends the product's own programs that run from the registered or the chosen folder.
    void StopRunningPrograms();
    void WriteRegistryValues(const std::wstring& version, const std::wstring& channel,
                             const std::wstring& appName);
    void CreateShortcuts(const std::wstring& appName);

    std::wstring m_installDir;
    std::wstring m_shortcutName;
    bool m_desktop = true;
    bool m_quickLaunch = true;
    std::vector<std::wstring> m_createdFolders;
    CInstallManifest m_manifest;
    CWorkerThread m_worker;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
};
