#pragma once
// The removal, on one worker thread: stops the product's running programs, logs the network
// driver step, deletes the desktop and menu entries, the firewall rule, the product's registry
// keys and the files the product owns. Before each step it posts a progress record to the
// uninstall window; the last record says whether everything went.

#include "common/base/WorkerThread.h"
#include "common/install/InstallManifest.h"

#include "platform/Win32.h"

#include <atomic>
#include <string>
#include <vector>

constexpr UINT WM_UNINSTALL_PROGRESS = 2025;

// Posted with its address in wParam; the receiving window deletes it.
struct UninstallProgressRecord
{
    int percent = 0;
    int status = 0; // 0, or -1 on the last record when something of the product remains
    std::wstring text;
};

// Set by the uninstall window; null means no record is posted.
extern HWND g_hUninstWnd;

class CUninstMgr
{
public:
    CUninstMgr() = default;
    CUninstMgr(const CUninstMgr&) = delete;
    CUninstMgr& operator=(const CUninstMgr&) = delete;
    // Waits for a running worker: a step is never cut off.
    ~CUninstMgr();

    // The folder the uninstaller runs from and its own file (which its script removes); set
    // before the thread starts.
    std::wstring m_strInstallDir;
    std::wstring m_strProgramFile;

    bool BeginUnInstallThread();
    bool IsRunning() const { return m_running.load(); }
    // Whether the files were the product's to remove (the folder is the registered install
    // holding Pictavo); known once the worker has started.
    bool OwnsInstallDir() const { return m_ownsInstallDir.load(); }
    // What could not be removed, once the worker has ended.
    const std::vector<std::wstring>& Remaining() const { return m_remaining; }
    // The folders to remove, deepest first, when they are empty once the uninstaller has ended:
    // the install folder, then those above it that the setup made for it. Empty when the
    // folder is not the product's; known once the worker has ended.
    std::vector<std::wstring> FoldersToRemove() const;

    static unsigned UninstProcThread(void* param);
    void UnIntallSoftware();
    void PostProgress(const UninstallProgressRecord& record);
    bool UnInstallDriver();
    bool DeleteLink();
    bool RemoveFirewall();
    bool DeleteRegedit();
    bool DeleleOtherFile();

    // The display name to build entry and menu folder names from: the registered appname when
    // it is a plain file name, else the product's default name.
    static std::wstring EntryName();

private:
    void ReadInstallRecord();
    void UseReleaseLayout();
    void StopPrograms();
    // Removes a file the manifest or the product names, never through a linked folder.
    void RemoveOwnedFile(const std::wstring& relative);
    void RemoveInMadeFolder(const wchar_t* folder);
    // The runtime entries and temporary folders of the programs it stopped, and the output
    // folder Pictavo made, when it is empty.
    void RemoveWhatProgramsMade();
    void CollectRemaining();
    void CollectRemainingFiles();
    std::wstring LastRecordText() const;

    // The setup's list, read before anything is removed; the release layout's names when it
    // could not be read.
    CInstallManifest m_manifest;
    // The manifest is there but could not be read: it is kept and the end is no success.
    bool m_manifestDamaged = false;
    // The registered install folder when it is a link: nothing behind it is removed.
    std::wstring m_linkedInstallDir;
    std::wstring m_strAppName;
    std::wstring m_ownProgram;
    std::atomic<bool> m_ownsInstallDir{false};
    // The folders above the install folder that the setup made, outermost first.
    std::vector<std::wstring> m_createdAbove;
    std::wstring m_madeOutputFolder;
    std::vector<DWORD> m_stoppedIds;
    std::vector<std::wstring> m_remaining;
    CWorkerThread m_worker;
    std::atomic<bool> m_running{false};
};
