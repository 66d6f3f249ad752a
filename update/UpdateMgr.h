#pragma once
// The updater's worker: stops the product's programs, applies the package of the install
// folder's package folder, records the new version and removes the package folder, telling the
// status window each step as a WM_UPDATE_STATUS record.

#include "common/http/LibcurlDownCallback.h"
#include "update/UpdateStatusRecord.h"

#include "platform/Win32.h"

#include <atomic>
#include <string>

class CUpdateMgr final : public CLibcurlDownCallback
{
public:
    void OnDownloadProgress(int kind, int taskId, double total, double now) override;
    void OnDownloadNotify(int kind, int taskId, int arg1, int arg2, int arg3) override {}

    // Sleeps delayMs (cut short when the window closes), then posts a copy of record; nothing
    // when there is no window.
    static void PostStatus(const UpdateStatusRecord& record, DWORD delayMs);
    // The worker's run (on the window's CWorkerThread, which waits for it when it closes).
    static unsigned DownFileThreadProc(void* param);
};

// The main program's folder, without a trailing "/"; set before the worker starts.
extern std::wstring m_strMainExePath;
// The status window, or null (no records are posted then).
extern std::atomic<HWND> g_hUpdateWnd;
// Set when the window closes: the worker finishes the file in hand, restores the old version
// and ends.
extern std::atomic<bool> g_bUpdateStop;

// The worker's fixed pauses; PICTAVO_TEST_PAUSE_MS caps them (tests, benchmarks).
DWORD UpdatePause(DWORD ms);
