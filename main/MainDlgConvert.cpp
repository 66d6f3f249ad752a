// The conversion tabs of the main window: work queues, workers and result handlers.

#include "main/MainDlg.h"

#include "common/base/Log.h"
#include "common/base/MyLock.h"
#include "common/base/PostedRecord.h"
#include "common/base/StringHelper.h"
#include "main/MagickDriver.h"

#include <algorithm>
#include <climits>

std::vector<FileItem> g_ncQueue;
std::vector<FileItem> g_hcQueue;
std::vector<FileItem> g_ccQueue;
MyLock::CMutex g_ncQueueLock;
MyLock::CMutex g_hcQueueLock;
MyLock::CMutex g_ccQueueLock;
std::atomic<bool> g_bNCCancel{false};
std::atomic<bool> g_bHCCancel{false};
std::atomic<bool> g_bCCCancel{false};

namespace
{
// What differs between the three tabs' workers.
struct TabWork
{
    std::vector<FileItem>* queue;
    MyLock::CMutex* lock;
    std::atomic<bool>* cancel;
    UINT resultMessage;
    const wchar_t* failureFormat;
    const wchar_t* workerName;
};

const TabWork g_tabWork[TAB_COUNT] = {
    {&g_ncQueue, &g_ncQueueLock, &g_bNCCancel, WM_NC_CONVERT_RESULT, L"Pictavo file=%s error=%s",
     L"CMainDlg::NCWorkThreadProc"},
    {&g_hcQueue, &g_hcQueueLock, &g_bHCCancel, WM_HC_CONVERT_RESULT, L"Pictavo file=%s error=%s",
     L"CMainDlg::HCWorkThreadProc"},
    {&g_ccQueue, &g_ccQueueLock, &g_bCCCancel, WM_CC_CONVERT_RESULT, L"ImageCompress file=%s error=%s",
     L"CMainDlg::CCWorkThreadProc"},
};

// The run each tab is in; advanced by every start, under the tab's queue lock.
std::atomic<unsigned> g_tabRun[TAB_COUNT];

bool ValidTab(int tab)
{
    return tab >= 0 && tab < TAB_COUNT;
}

const wchar_t* OutputExtension(int outType)
{
    switch (outType)
    {
    case 0:
        return L"png";
    case 1:
        return L"jpg";
    case 2:
        return L"bmp";
    default:
        return L"";
    }
}

// The file name of a path without its folder and without its extension.
std::wstring FileStem(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'/');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return name;
}

// Longest output path the worker builds; a longer one fails the item (nothing is cut).
constexpr size_t kMaxOutputPath = PATH_MAX - 1;
} // namespace

void CMainDlg::DeleteAllItems()
{
    for (TabState& state : m_tabs)
    {
        for (FileItem* item : state.m_vecItems)
            delete item;
        state.m_vecItems.clear();
    }
}

CMainDlg::TabState& CMainDlg::Tab(int tab)
{
    return m_tabs[ValidTab(tab) ? tab : TAB_NORMAL];
}

const CMainDlg::TabState& CMainDlg::Tab(int tab) const
{
    return m_tabs[ValidTab(tab) ? tab : TAB_NORMAL];
}

bool CMainDlg::IsConverting(int tab) const
{
    // The web page (tab 3) and anything else that is no conversion tab never converts.
    return ValidTab(tab) && m_tabs[tab].m_bConverting.load();
}

void CMainDlg::InitWorkThread()
{
    bool created = true;
    for (TabState& state : m_tabs)
    {
        state.m_hEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        created = created && state.m_hEvent;
    }
    if (!created)
    {
        LOG_ERROR(L"CMainDlg::InitWorkThread", L"CreateEvent error code=%d",
                  static_cast<int>(GetLastError()));
        return;
    }
    for (int tab = 0; tab < TAB_COUNT; ++tab)
    {
        if (!m_tabs[tab].m_worker.Start([this, tab](const std::stop_token& stop) { WorkLoop(tab, stop); }))
            LOG_ERROR(L"CMainDlg::InitWorkThread", L"create thread error code=%d",
                      static_cast<int>(GetLastError()));
    }
}

void CMainDlg::StopWorkers()
{
    for (TabState& state : m_tabs)
        state.m_worker.RequestStop();
    for (TabState& state : m_tabs)
        state.m_worker.Join();
    m_avatarWorker.Stop();
}

void CMainDlg::CloseWorkEvents()
{
    // Only after StopWorkers: no worker waits on an event any more.
    for (TabState& state : m_tabs)
        state.m_hEvent.reset();
}

void CMainDlg::StartConvert(int tab)
{
    if (!ValidTab(tab))
        return;
    TabState& state = m_tabs[tab];
    std::vector<FileItem*>& items = state.m_vecItems;
    if (items.empty())
    {
        if (m_pConvertView != nullptr)
            m_pConvertView->ShowTips(L"请先添加文件...");
        return;
    }
    const TabWork& work = g_tabWork[tab];
    state.m_bConverting = true;
    *work.cancel = false;
    if (m_pConvertView != nullptr)
        m_pConvertView->ShowConvertButtons(tab, true);

    MyLock::CAutoLock guard(work.lock);
    g_tabRun[tab].fetch_add(1);
    work.queue->clear();
    for (FileItem* item : items)
    {
        item->m_nStatus = FILE_WAITING;
        item->m_nProgress = 0;
        work.queue->push_back(*item);
    }
    if (m_pConvertView != nullptr)
        m_pConvertView->SortLines(tab);
    SetEvent(state.m_hEvent.get());
}

void CMainDlg::CancelConvert(int tab)
{
    if (!ValidTab(tab))
        return;
    m_tabs[tab].m_bConverting = false;
    *g_tabWork[tab].cancel = true;
    if (m_pConvertView != nullptr)
        m_pConvertView->ShowConvertButtons(tab, false);
}

void CMainDlg::WorkLoop(int tab, const std::stop_token& stop)
{
    const HANDLE event = m_tabs[tab].m_hEvent.get();
    // The stop request wakes a worker that waits for work.
    const std::stop_callback wake(stop, [event] { SetEvent(event); });
    while (!g_bAppExit && !stop.stop_requested())
    {
        if (WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0)
            return;
        ++m_nBusyWorkers;
        if (!g_bAppExit && !stop.stop_requested())
            ConvertQueue(tab);
        // Pixel memory is kept from one file for the next; the last worker to finish hands it
        // back, so an idle program holds no image's worth of memory.
        if (--m_nBusyWorkers == 0 && !g_bAppExit)
            MagickReleaseMemory();
    }
}

// Converts the queued files one after another until the queue is empty or cancelled.
void CMainDlg::ConvertQueue(int tab)
{
    const TabWork& work = g_tabWork[tab];
    while (!g_bAppExit)
    {
        FileItem item;
        bool last = false;
        unsigned run = 0;
        {
            MyLock::CAutoLock guard(work.lock);
            if (*work.cancel)
            {
                work.queue->clear();
                return;
            }
            if (work.queue->empty())
                return;
            item = work.queue->front();
            work.queue->erase(work.queue->begin());
            last = work.queue->empty();
            run = g_tabRun[tab].load();
        }
        std::unique_ptr<ConvertResultRecord> record = ConvertOne(tab, item, last, run);
        // Leaving, nobody reads results any more (the window may stay until the process ends).
        if (!g_bAppExit)
            PostRecord(m_hWnd, work.resultMessage, std::move(record));
    }
}

std::unique_ptr<ConvertResultRecord> CMainDlg::ConvertOne(int tab, FileItem item, bool last, unsigned run)
{
    const TabWork& work = g_tabWork[tab];
    auto record = std::make_unique<ConvertResultRecord>();
    std::wstring outPath = MakeOutputPath(item);
    std::string error;
    std::string written;
    bool ok = false;
    if (m_strOutDir.empty() || m_strOutDir[0] != L'/')
    {
        // Without a folder (no documents folder was found) the path would name the root.
        error = "no output folder `" + WideToAnsi(m_strOutDir) + "'";
    }
    else if (outPath.size() > kMaxOutputPath)
    {
        error = "output path too long";
    }
    else
    {
        // The driver reads only the first image of any input (a psd's composite, a gif's
        // first frame), so no frame suffix is added to the path here.
        const std::string input = WideToAnsi(item.m_strPath);
        const std::string output = WideToAnsi(outPath);
        ok = tab == TAB_COMPRESS
                 ? CompressImageFile(input, output, item.m_nResize, item.m_nQuality, error, &written)
                 : ConvertImageFile(input, output, error, &written);
    }
    // An existing file of the same name stays: "查看" and "打开目录" go to the name written.
    if (ok)
        outPath = AnsiToWide(written);
    if (!ok)
    {
        record->m_nCode = -1;
        record->m_strError = AnsiToWide(error);
        PICTAVO_LOG(LOG_LEVEL_ERROR, work.workerName, work.failureFormat, item.m_strPath.c_str(),
                    record->m_strError.c_str());
    }
    item.m_strOutPath = outPath;
    static_cast<FileItem&>(*record) = item;
    record->m_bLast = last;
    record->m_nRun = run;
    return record;
}

std::wstring CMainDlg::MakeOutputPath(const FileItem& item) const
{
    return m_strOutDir + L"/" + FileStem(item.m_strPath) + L"." + OutputExtension(item.m_nOutType);
}

bool CMainDlg::HandleConvertMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    switch (msg)
    {
    case WM_NC_CONVERT_RESULT:
        result = OnNCConvertResult(wParam);
        return true;
    case WM_HC_CONVERT_RESULT:
        result = OnHCConvertResult(wParam);
        return true;
    case WM_CC_CONVERT_RESULT:
        result = OnCCConvertResult(wParam);
        return true;
    default:
        return false;
    }
}

LRESULT CMainDlg::OnNCConvertResult(WPARAM wParam)
{
    return OnConvertResult(TAB_NORMAL, TakeRecord<ConvertResultRecord>(wParam));
}

LRESULT CMainDlg::OnHCConvertResult(WPARAM wParam)
{
    return OnConvertResult(TAB_HEIC, TakeRecord<ConvertResultRecord>(wParam));
}

LRESULT CMainDlg::OnCCConvertResult(WPARAM wParam)
{
    return OnConvertResult(TAB_COMPRESS, TakeRecord<ConvertResultRecord>(wParam));
}

LRESULT CMainDlg::OnConvertResult(int tab, std::unique_ptr<ConvertResultRecord> record)
{
    if (record == nullptr)
        return 0;
    if (record->m_nRun == g_tabRun[tab].load())
    {
        std::vector<FileItem*>& items = m_tabs[tab].m_vecItems;
        const auto found = std::find_if(items.begin(), items.end(), [&record](const FileItem* item) {
            return item->m_nId == record->m_nId;
        });
        if (found != items.end())
        {
            (*found)->m_nStatus = record->m_nCode != 0 ? FILE_FAILED : FILE_DONE;
            (*found)->m_nProgress = 100;
            (*found)->m_strOutPath = record->m_strOutPath;
            if (m_pConvertView != nullptr)
                m_pConvertView->RefreshLine(tab, static_cast<int>(found - items.begin()));
        }
        if (record->m_bLast)
        {
            m_tabs[tab].m_bConverting = false;
            if (m_pConvertView != nullptr)
                m_pConvertView->ShowConvertButtons(tab, false);
        }
    }
    return 0;
}
