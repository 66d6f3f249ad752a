#include "uninst/UninstDlg.h"

#include "common/base/Log.h"
#include "common/base/PostedRecord.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"
#include "common/install/SelfDeleteScript.h"
#include "uninst/UninstStatistics.h"

#include "platform/Win32.h"

using namespace DuiLib;

namespace
{
constexpr DWORD kRegReadBytes = 256;
constexpr DWORD kMachineIdChars = 256;
constexpr UINT_PTR kLastPageTimer = 0x5501;
constexpr UINT kLastPageDelayMs = 1000;
constexpr const wchar_t* kVersionId = L"0";
} // namespace

DUI_BEGIN_MESSAGE_MAP(CUninstDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CUninstDlg::OnClick)
DUI_END_MESSAGE_MAP()

std::wstring ReadRegVersionStr()
{
    const std::wstring version = ReadProductRegValue(L"version_str", kRegReadBytes);
    return version.empty() ? L"1.0.0.0" : version;
}

std::wstring ReadRegChannel()
{
    return ReadProductRegValue(L"channel", kRegReadBytes);
}

std::wstring ReadRegMachineId(const std::wstring& installDir)
{
    const std::wstring id = ReadProductRegValue(L"MachineId", kRegReadBytes);
    if (!id.empty())
        return id;
    wchar_t buffer[kMachineIdChars] = {};
    const std::wstring ini = installDir + L"/" + ProductFiles::kConfigFile;
    GetPrivateProfileStringW(L"MACHINE", L"MachineId", L"", buffer, kMachineIdChars, ini.c_str());
    return buffer;
}

CUninstDlg::CUninstDlg() : CProgramDlg(L"UninstDlg"), m_pUninstMgr(std::make_unique<CUninstMgr>()) {}

CUninstDlg::~CUninstDlg()
{
    g_hUninstWnd = nullptr;
    m_pUninstMgr.reset();
}

void CUninstDlg::InitWindow()
{
    InitProgramWindow();
    m_pMainTab = dynamic_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"mainTab"));
    m_pCloseBtn = m_PaintManager.FindControl(L"closeBtn");
    m_pUninstProgress = dynamic_cast<CProgressUI*>(m_PaintManager.FindControl(L"uninstProgress"));
    m_pTxtStatus = m_PaintManager.FindControl(L"txtStatus");
    if (m_pUninstProgress != nullptr)
        m_pUninstProgress->SetValue(0);
    if (m_pTxtStatus != nullptr)
        m_pTxtStatus->SetText(L"等待卸载...");
    g_hUninstWnd = m_hWnd;
    m_strVersion = ReadRegVersionStr();
    m_strChannel = ReadRegChannel();
    m_strMachineId = ReadRegMachineId(m_strInstallDir);
    // config.ini goes with the files: its address is needed after that.
    m_strStatisticsUrl = UninstallStatisticsBaseUrl(m_strInstallDir);
    m_pUninstMgr->m_strInstallDir = m_strInstallDir;
    m_pUninstMgr->m_strProgramFile = m_strProgramFile;
    ShowPage(0);
}

void CUninstDlg::ShowPage(int page)
{
    if (m_pMainTab != nullptr)
        m_pMainTab->SelectItem(page);
}

void CUninstDlg::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"btnUnInstall")
    {
        ShowPage(1);
        m_pUninstMgr->BeginUnInstallThread();
    }
    else if (name == L"btnCancel" || name == L"btnOver")
        Close(1);
    else
        OnCaptionButton(name);
}

LRESULT CUninstDlg::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (m_pUninstMgr->IsRunning())
    {
        LOG_INFO(L"CUninstDlg::OnClose", L"close refused while uninstalling");
        bHandled = TRUE;
        return 0;
    }
    if (m_bFinished)
        StartSelfDelete();
    return CProgramDlg::OnClose(uMsg, wParam, lParam, bHandled);
}

// Removes the uninstaller once this process has ended, and the install folder with it (and the
// folders the setup made above it) when nothing else is left there; a copied uninstaller
// removes only itself.
void CUninstDlg::StartSelfDelete()
{
    if (m_bSelfDeleteStarted)
        return;
    m_bSelfDeleteStarted = true;
    if (!WriteSelfDeleteScript(ProductFiles::SelfDeleteScriptName(), m_strProgramFile,
                               m_pUninstMgr->FoldersToRemove()))
        LOG_INFO(L"CUninstDlg::StartSelfDelete", L"self-delete script not started");
}

LRESULT CUninstDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    switch (uMsg)
    {
    case WM_UNINSTALL_PROGRESS:
        return OnUninstallProgress(wParam);
    case WM_TIMER:
        if (wParam != kLastPageTimer)
            break;
        ::KillTimer(m_hWnd, kLastPageTimer);
        ShowPage(2);
        return 1;
    default:
        break;
    }
    return CProgramDlg::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
}

LRESULT CUninstDlg::OnUninstallProgress(WPARAM wParam)
{
    const std::unique_ptr<UninstallProgressRecord> record = TakeRecord<UninstallProgressRecord>(wParam);
    if (record == nullptr)
        return 1;
    if (m_pUninstProgress != nullptr)
        m_pUninstProgress->SetValue(record->percent);
    if (m_pTxtStatus != nullptr)
        m_pTxtStatus->SetText(record->text.c_str());
    if (record->percent < 100 || record->status != 0)
        return 1;
    m_bFinished = true;
    SendUninstallStatistics(m_hWnd, m_strStatisticsUrl, kVersionId, m_strVersion, m_strChannel,
                            m_strMachineId);
    // The last page comes a second later, without holding up the window meanwhile.
    ::SetTimer(m_hWnd, kLastPageTimer, kLastPageDelayMs, nullptr);
    return 1;
}
