#pragma once
// The main window. This part holds the three conversion tabs: their items, the start and
// cancel of a run, the three worker threads and the result handlers. The window's controls
// are reached through IConvertView.

#include "ConvertResultRecord.h"
#include "ConvertView.h"
#include "FileItem.h"

#include "platform/Win32.h"

#include <atomic>
#include <string>
#include <vector>

// Result messages of the three tabs; wParam is a ConvertResultRecord the handler deletes.
constexpr UINT WM_NC_CONVERT_RESULT = 2038;
constexpr UINT WM_HC_CONVERT_RESULT = 2039;
constexpr UINT WM_CC_CONVERT_RESULT = 2040;

// The stop flag of the whole program: set when the main window goes away.
extern std::atomic<bool> g_bAppExit;

class CMainDlg
{
public:
    CMainDlg() = default;
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;
    ~CMainDlg();

    HWND GetHWND() const { return m_hWnd; }
    void SetHWND(HWND hwnd) { m_hWnd = hwnd; }
    void SetConvertView(IConvertView* view) { m_pConvertView = view; }

    void InitWorkThread();
    void StartConvert(int tab);
    void CancelConvert(int tab);
    // Routes the three result messages; false for any other message.
    bool HandleConvertMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT OnNCConvertResult(WPARAM wParam);
    LRESULT OnHCConvertResult(WPARAM wParam);
    LRESULT OnCCConvertResult(WPARAM wParam);

    static unsigned NCWorkThreadProc(void* param);
    static unsigned HCWorkThreadProc(void* param);
    static unsigned CCWorkThreadProc(void* param);

    std::vector<FileItem*>& TabItems(int tab);
    bool IsConverting(int tab) const;

    std::vector<FileItem*> m_vecNCItems;
    std::vector<FileItem*> m_vecHCItems;
    std::vector<FileItem*> m_vecCCItems;
    std::atomic<bool> m_bNCConverting{false};
    std::atomic<bool> m_bHCConverting{false};
    std::atomic<bool> m_bCCConverting{false};
    HANDLE m_hNCEvent = nullptr;
    HANDLE m_hHCEvent = nullptr;
    HANDLE m_hCCEvent = nullptr;
    // The one output folder of all three tabs; it does not change while a tab converts.
    std::wstring m_strOutDir;

private:
    std::atomic<bool>& ConvertingFlag(int tab);
    HANDLE TabEvent(int tab) const;
    void WorkLoop(int tab);
    void ConvertQueue(int tab);
    ConvertResultRecord* ConvertOne(int tab, FileItem item, bool last, unsigned run);
    std::wstring MakeOutputPath(const FileItem& item) const;
    LRESULT OnConvertResult(int tab, ConvertResultRecord* record);
    void CloseWorkEvents();

    HWND m_hWnd = nullptr;
    IConvertView* m_pConvertView = nullptr;
    // Workers between waking up and going back to sleep; the destructor waits for them so
    // that a file being converted at closing never outlives the window's data.
    std::atomic<int> m_nBusyWorkers{0};
};
