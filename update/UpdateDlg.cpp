#include "UpdateDlg.h"

#include "Log.h"
#include "PathHelper.h"
#include "ProcessHelper.h"
#include "ProductFiles.h"
#include "SelfDeleteScript.h"

#include "platform/Win32.h"

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CUpdateDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CUpdateDlg::OnClick)
DUI_END_MESSAGE_MAP()

CUpdateDlg::CUpdateDlg() : CProgramDlg(L"UpdateDlg"), m_pUpdateMgr(new CUpdateMgr) {}

CUpdateDlg::~CUpdateDlg()
{
    StopWorker();
    delete m_pUpdateMgr;
}

// Closing while the package is applied waits for the file in hand and the restore of the old
// version: the process never ends with the install folder half replaced.
void CUpdateDlg::StopWorker()
{
    g_hUpdateWnd = nullptr;
    g_bUpdateStop = true;
    if (g_hUpdateThread == INVALID_HANDLE_VALUE)
        return;
    WaitForSingleObject(g_hUpdateThread, INFINITE);
    CloseHandle(g_hUpdateThread);
    g_hUpdateThread = INVALID_HANDLE_VALUE;
}

void CUpdateDlg::InitWindow()
{
    InitProgramWindow();
    g_hUpdateWnd = m_hWnd;
    txtStatus = m_PaintManager.FindControl(L"txtStatus");
    m_strMainExePath = strMainExeDir;
    LOG_INFO(L"CUpdateMgr::StartUpdateThread", L"%s 启动线程下载升级包", L"CUpdateMgr::StartUpdateThread");
    const uintptr_t thread =
        _beginthreadex(nullptr, 0, &CUpdateMgr::DownFileThreadProc, m_pUpdateMgr, CREATE_SUSPENDED, nullptr);
    if (thread == 0)
    {
        LOG_ERROR(L"CUpdateMgr::StartUpdateThread", L"%s 创建线程失败", L"CUpdateMgr::StartUpdateThread");
        return;
    }
    g_hUpdateThread = reinterpret_cast<HANDLE>(thread);
    ResumeThread(g_hUpdateThread);
}

LRESULT CUpdateDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (uMsg != WM_UPDATE_STATUS)
        return CProgramDlg::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    bHandled = TRUE;
    auto* record = reinterpret_cast<UpdateStatusRecord*>(wParam);
    OnStatus(record);
    delete record;
    return 0;
}

void CUpdateDlg::OnStatus(UpdateStatusRecord* record)
{
    if (record == nullptr || txtStatus == nullptr)
        return;
    if (record->type == UPDATE_STATUS_STEP)
        txtStatus->SetText(record->text.c_str());
    else if (record->type == UPDATE_STATUS_FAILED)
    {
        // The old version is whole again: the user gets it back and reads why.
        txtStatus->SetText(record->text.c_str());
        StartMainExe();
    }
    else if (record->type == UPDATE_STATUS_DONE)
    {
        txtStatus->SetText(L"升级完成");
        ShowWindow(false);
        StartMainExe();
        // Runs from its temporary copy: the script removes that folder once this process ends.
        WriteSelfDeleteBatch(ProductFiles::UpdaterSelfDeleteScriptName(), GetModuleDir());
        Close(1);
    }
}

void CUpdateDlg::StartMainExe()
{
    const std::wstring program = strMainExeDir + L"/" + ProductFiles::kMainProgram;
    std::wstring command = platform::BuildCommandLine({program, L"-run", L"update"});
    LOG_INFO(L"CUpdateDlg::StartMainExe", L"%s 解压升级包成功启动主进程 reason=[%s]",
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
