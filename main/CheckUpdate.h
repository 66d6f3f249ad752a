#pragma once
// Keeping Pictavo up to date in two runs: a normal run asks the version service in the
// background and downloads a newer package into the package folder; the next start hands the
// ready package to the updater, copied into a private temporary folder, and ends.

#include "common/base/WorkerThread.h"
#include "common/install/VersionText.h"

#include "platform/Win32.h"

#include <string>

// Update.zip of at least 100 bytes in the package folder of exeDir; a smaller one is deleted.
bool IsUpdatePackReady(const std::wstring& exeDir);

class CCheckUpdate
{
public:
    // The largest package downloaded: the updater refuses an archive beyond this size, so a
    // larger one would only fill the disk.
    static constexpr long long kMaxPackageBytes = 2LL << 30;

    // Pictavo's own folder.
    CCheckUpdate();
    CCheckUpdate(const CCheckUpdate&) = delete;
    CCheckUpdate& operator=(const CCheckUpdate&) = delete;

    // exeDir: the install folder Pictavo runs from (GetModuleDir outside the tests).
    explicit CCheckUpdate(std::wstring exeDir) : m_strExeDir(std::move(exeDir)) {}

    // True when the server's version is newer than the registry's version_str.
    bool CheckNeedUpdate(const std::wstring& serverVersion);

    // Hands the ready package over and waits for that; true when the updater was started (or
    // one is applying a package already), so that this process ends now.
    bool StartUpdateThread();
    // Stops the product's updater, rebuilds the private temporary folder and copies the
    // updater's files into it in order, stopping at the first copy that fails.
    bool UpateFunc();
    // Starts the copied updater with the install folder as its one argument.
    bool StartUpdateExe();
    // The updater's temporary folder: the temporary path followed by "PictavoUpdate".
    static std::wstring UpdaterTempFolder();

    // The version check and download in the background, until EndThreads.
    void StartCheckDownUpdatePackThread();
    // The background run: check and download; the package folder goes unless it succeeded.
    void DownPackThreadProc(const std::stop_token& stop);
    // True when a package was completed (or must be left alone for an applying updater). A stop
    // request ends the version request or the download (a failure).
    bool CheckDownUpdatePack(const std::stop_token& stop = {});
    // Stops the background run and waits up to waitMs for it; true when it has ended. A run
    // still going after that (a step that reads no stop request) is waited for by the
    // destructor.
    bool EndThreads(DWORD waitMs);

private:
    std::wstring PackageDir() const;
    bool StopUpdater() const;

    std::wstring m_strExeDir;
    bool m_bHandedOver = false;
    CWorkerThread m_updateWorker;
    // Last: stopped and joined before the members it reads go.
    CWorkerThread m_downPackWorker;
};

// WinMain's update road before any window: finishes or undoes an update that was cut off, then
// hands a ready package over unless this start is the one after an update ("-run update",
// checkUpdate false), which removes a leftover package instead. True when this process ends
// now; *startCheck tells whether the background check may run (not after a failed hand-over,
// which would delete the package meant for the next try).
bool RunUpdateHandOver(CCheckUpdate* check, const std::wstring& exeDir, bool checkUpdate, bool* startCheck);
