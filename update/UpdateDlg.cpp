#include "update/UpdateDlg.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/PostedRecord.h"
#include "common/base/ProcessHelper.h"
#include "common/install/ProductFiles.h"
#include "common/install/SelfDeleteScript.h"
#include "update/UpdaterFolders.h"

#include "platform/Win32.h"

using namespace DuiLib;

namespace
{
// After a failure the window is raised again and again until it is closed: without a window
// manager "keep above" is only a hint, and the restarted Pictavo's window would cover the
// failure. A raise of the topmost window changes nothing.
constexpr UINT_PTR kRaiseTimer = 0x5550;
constexpr UINT kRaiseEveryMs = 250;
} // namespace

DUI_BEGIN_MESSAGE_MAP(CUpdateDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CUpdateDlg::OnClick)
DUI_END_MESSAGE_MAP()

CUpdateDlg::CUpdateDlg() : CProgramDlg(L"UpdateDlg") {}

CUpdateDlg::~CUpdateDlg()
{
    StopWorker();
    RemoveOwnCopy();
}

// The copy Pictavo made for this run goes with it, whatever the outcome: the next hand-over
// makes a new one. Any other folder (the install folder itself, for one) is left alone.
void CUpdateDlg::RemoveOwnCopy()
{
    const std::wstring folder = GetModuleDir();
    if (!IsOwnTemporaryCopy(folder))
    {
        LOG_INFO(L"CUpdateDlg::RemoveOwnCopy",
                 L"[%s] is not the updater's own temporary copy, nothing removed", folder.c_str());
        return;
    }
    if (!WriteSelfDeleteBatch(ProductFiles::UpdaterSelfDeleteScriptName(), folder))
        LOG_ERROR(L"CUpdateDlg::RemoveOwnCopy", L"the script removing [%s] could not be started",
                  folder.c_str());
}

// Closing while the package is applied waits for the file in hand and the restore of the old
// version: the process never ends with the install folder half replaced.
void CUpdateDlg::StopWorker()
{
    g_hUpdateWnd = nullptr;
    g_bUpdateStop = true;
    m_worker.Join();
}

void CUpdateDlg::InitWindow()
{
    InitProgramWindow();
    g_hUpdateWnd = m_hWnd;
    m_pTxtStatus = m_PaintManager.FindControl(L"txtStatus");
    m_strMainExePath = m_strMainExeDir;
    LOG_INFO(L"CUpdateMgr::StartUpdateThread", L"%s 启动线程下载升级包", L"CUpdateMgr::StartUpdateThread");
    CUpdateMgr* const manager = m_pUpdateMgr;
    if (!m_worker.Start([manager](const std::stop_token&) { CUpdateMgr::DownFileThreadProc(manager); }))
        LOG_ERROR(L"CUpdateMgr::StartUpdateThread", L"%s 创建线程失败", L"CUpdateMgr::StartUpdateThread");
}

LRESULT CUpdateDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (uMsg == WM_TIMER && wParam == kRaiseTimer)
    {
        SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    }
    if (uMsg != WM_UPDATE_STATUS)
        return CProgramDlg::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    bHandled = TRUE;
    OnStatus(TakeRecord<UpdateStatusRecord>(wParam).get());
    return 0;
}

void CUpdateDlg::OnStatus(UpdateStatusRecord* record)
{
    if (record == nullptr || m_pTxtStatus == nullptr)
        return;
    if (record->type == UPDATE_STATUS_STEP)
        m_pTxtStatus->SetText(record->text.c_str());
    else if (record->type == UPDATE_STATUS_FAILED)
        OnFailed(record->text);
    else if (record->type == UPDATE_STATUS_DONE)
    {
        m_pTxtStatus->SetText(L"升级完成");
        ShowWindow(false);
        StartMainExe();
        Close(1);
    }
}

// The old version is whole again: the user gets it back, and the failure stays in front of it
// until the user has read it and closes the window.
void CUpdateDlg::OnFailed(const std::wstring& text)
{
    m_pTxtStatus->SetText(text.c_str());
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    StartMainExe(false);
    ::SetTimer(m_hWnd, kRaiseTimer, kRaiseEveryMs, nullptr);
}

void CUpdateDlg::StartMainExe(bool updated)
{
    const std::wstring program = m_strMainExeDir + L"/" + ProductFiles::kMainProgram;
    std::wstring command = platform::BuildCommandLine({program, L"-run", L"update"});
    if (updated)
        LOG_INFO(L"CUpdateDlg::StartMainExe", L"%s 解压升级包成功启动主进程 reason=[%s]",
                 L"CUpdateDlg::StartMainExe", command.c_str());
    else
        LOG_INFO(L"CUpdateDlg::StartMainExe", L"%s update failed, starting the installed version again [%s]",
                 L"CUpdateDlg::StartMainExe", command.c_str());
    // The program is named apart from the command line: a folder name may hold a double quote,
    // which no quoting of the first word can carry.
    StartProcess(program.c_str(), command.data(), true);
}

LRESULT CUpdateDlg::OnChar(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    return SwallowBackspace(wParam, bHandled);
}

void CUpdateDlg::OnClick(TNotifyUI& msg)
{
    if (msg.pSender != nullptr)
        OnCaptionButton(msg.pSender->GetName());
}
