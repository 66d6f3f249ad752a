#include "setup/SetupDlg.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/PostedRecord.h"
#include "common/base/ProcessHelper.h"
#include "common/dialog/MsgBoxDlg.h"
#include "common/http/HttpMgr.h"
#include "common/install/CreatedFolders.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"
#include "common/install/SystemHelpers.h"
#include "setup/InstallIni.h"
#include "setup/InstallStatistics.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <fstream>
#include <iterator>
#include <vector>

using namespace DuiLib;

namespace
{
constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kExtendedHeight = 440;
constexpr DWORD kRegReadBytes = 260 * 2;
constexpr const wchar_t* kTitle = L"提示";

struct RichEditSource
{
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

DWORD ReadSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got)
{
    auto* source = reinterpret_cast<RichEditSource*>(cookie);
    const std::size_t left = source->size - source->offset;
    const std::size_t count = std::min<std::size_t>(left, static_cast<std::size_t>(wanted));
    std::copy_n(source->data + source->offset, count, buffer);
    source->offset += count;
    *got = static_cast<LONG>(count);
    return 0;
}

void StreamInto(CRichEditUI* edit, int format, const unsigned char* data, std::size_t size)
{
    RichEditSource source{data, size, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadSource};
    edit->StreamIn(format | SFF_SELECTION, stream);
}

bool IsEmptyFolder(const std::wstring& folder)
{
    bool empty = true;
    ForEachDirectoryEntry(folder + L"/*", [&](const _wfinddata_t& entry) {
        const std::wstring name = entry.name;
        if (name != L"." && name != L"..")
            empty = false;
    });
    return empty;
}

std::wstring WithProductFolder(std::wstring path)
{
    if (EndsWith(path, kDefaultAppName))
        return path;
    if (path.empty() || path.back() != L'/')
        path += L'/';
    return path + kDefaultAppName;
}
} // namespace

DUI_BEGIN_MESSAGE_MAP(CSetupDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CSetupDlg::OnClick)
DUI_END_MESSAGE_MAP()

bool LoadRichEditFile(CRichEditUI* edit, const wchar_t* path)
{
    const std::wstring name = path;
    std::ifstream file(platform::ToUtf8(name), std::ios::binary);
    if (edit == nullptr || !file)
        return false;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                           std::istreambuf_iterator<char>());
    if (EndsWith(name, L".txt"))
        StreamInto(edit, SF_TEXT, bytes.data(), bytes.size());
    else if (EndsWith(name, L".rtf"))
        StreamInto(edit, SF_RTF, bytes.data(), bytes.size());
    return true;
}

void LoadRichEditBuffer(CRichEditUI* edit, const unsigned char* data, unsigned size)
{
    if (edit != nullptr && data != nullptr)
        StreamInto(edit, SF_RTF, data, size);
}

CSetupDlg::CSetupDlg() : CProgramDlg(L"SetupDlg"), m_pInstallMgr(std::make_unique<CInstallMgr>()) {}

CSetupDlg::~CSetupDlg()
{
    m_pInstallMgr.reset();
}

void CSetupDlg::InitWindow()
{
    InitProgramWindow();
    m_pMainTab = dynamic_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"mainTab"));
    m_pCloseBtn = m_PaintManager.FindControl(L"closeBtn");
    m_pMinBtn = m_PaintManager.FindControl(L"minBtn");
    m_pEditPath = dynamic_cast<CEditUI*>(m_PaintManager.FindControl(L"editPath"));
    m_pCkOk = dynamic_cast<CCheckBoxUI*>(m_PaintManager.FindControl(L"ckOk"));
    m_pInstProgress = dynamic_cast<CProgressUI*>(m_PaintManager.FindControl(L"instProgress"));
    m_pBtnExtend = m_PaintManager.FindControl(L"btnExtend");
    m_pLayoutPath = m_PaintManager.FindControl(L"layout_path");
    if (m_pCkOk != nullptr)
        m_pCkOk->Selected(true);
    g_hSetupWnd = m_hWnd;
    m_strInstallPath = RegisteredInstallDir();
    if (m_pEditPath != nullptr)
        m_pEditPath->SetText(GetInstallPath().c_str());
    ShowPage(0);
    LoadProtocol();
}

std::wstring CSetupDlg::RegisteredInstallDir()
{
    const std::wstring registered = ReadProductRegValue(L"installDir", kRegReadBytes);
    return !registered.empty() && IsDirectory(registered) ? registered : std::wstring();
}

std::wstring CSetupDlg::GetInstallPath()
{
    if (m_strInstallPath.empty())
    {
        wchar_t folder[MAX_PATH] = {};
        // Without a programs folder nothing is proposed: "/Pictavo" would be a folder of the
        // whole system.
        const int csidl = IsWow64() ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES;
        if (SHGetSpecialFolderPathW(nullptr, folder, csidl, TRUE))
            m_strInstallPath = std::wstring(folder) + L"/" + kDefaultAppName;
    }
    return m_strInstallPath;
}

void CSetupDlg::ShowPage(int page)
{
    if (m_pMainTab != nullptr)
        m_pMainTab->SelectItem(page);
    int height = kHeight;
    if (page == 0 && m_pBtnExtend != nullptr && m_pLayoutPath != nullptr)
    {
        const wchar_t* image = m_bExtended ? L"shrink.png" : L"extend.png";
        m_pBtnExtend->SetBkImage((std::wstring(L"file='") + image + L"' dest='94,2,118,26'").c_str());
        m_pLayoutPath->SetVisible(m_bExtended);
        if (m_bExtended)
            height = kExtendedHeight;
    }
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, kWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (page == 2 && m_pInstProgress != nullptr)
        m_pInstProgress->SetValue(0);
}

void CSetupDlg::Notify(TNotifyUI& msg)
{
    CWinBaseEx::Notify(msg);
}

void CSetupDlg::OnClick(TNotifyUI& msg)
{
    const CDuiString name = msg.pSender->GetName();
    if (OnCaptionButton(name))
        return;
    if (name == L"btnExtend")
    {
        m_bExtended = !m_bExtended;
        ShowPage(0);
    }
    else if (name == L"btnBack")
    {
        m_bExtended = false;
        ShowPage(0);
    }
    else if (name == L"btnProtocal")
        ShowPage(1);
    else if (name == L"btnInstall")
        OnInstall();
    else if (name == L"btnStartExe")
        OnStartExe();
    else if (name == L"btnSelPath")
        OnSelectPath();
    else if (name == L"ckOk" && m_pCkOk != nullptr)
    {
        // The click comes before the box changes: the button follows the state it will have.
        if (CControlUI* install = m_PaintManager.FindControl(L"btnInstall"))
            install->SetEnabled(!m_pCkOk->IsSelected());
    }
}

bool CSetupDlg::ConfirmFolder(const std::wstring& folder, bool existed, std::vector<std::wstring>& created)
{
    const std::wstring registered = ReadProductRegValue(L"installDir", kRegReadBytes);
    const bool ours = registered == folder && PathExists(folder + L"/" + ProductFiles::kMainProgram, 0) == 0;
    // Over an install of ours, the folders the first setup made stay on record.
    if (ours)
        created = ReadCreatedFolders(folder);
    if (!existed || ours || IsEmptyFolder(folder))
        return true;
    return CMsgBoxDlg::ShowMsgBox(m_hWnd, kTitle,
                                  L"所选文件夹已存在，其中的同名文件将被覆盖。\n确定要安装到该文件夹吗?",
                                  MSGBOX_YESNO) == MSGBOX_IDYES;
}

void CSetupDlg::OnInstall()
{
    ShowPage(0);
    const std::wstring typed = m_pEditPath != nullptr ? m_pEditPath->GetText().GetData() : L"";
    // Only an absolute folder is a place: a relative one would land beside the setup.
    const std::wstring folder =
        typed.empty() || typed.front() != L'/' ? std::wstring() : WithProductFolder(typed);
    const bool existed = !folder.empty() && IsDirectory(folder);
    // What this setup makes goes again on every way out before the install.
    const std::vector<std::wstring> missing = MissingFolders(folder);
    if (folder.empty() || (!existed && !CreateDirectoryTree(folder)))
    {
        RemoveEmptyFolders(ExistingFolders(missing));
        CMsgBoxDlg::ShowMsgBox(m_hWnd, kTitle, L"安装目录无效，请重新指定!", MSGBOX_OK);
        if (m_pEditPath != nullptr)
            m_pEditPath->SetText(GetInstallPath().c_str());
        return;
    }
    m_strInstallPath = folder;

    const std::wstring registered = ReadProductRegValue(L"installDir", kRegReadBytes);
    if (!registered.empty() && PathExists(registered + L"/" + ProductFiles::kMainProgram, 0) == 0)
    {
        const wchar_t* question = registered == folder ? L"您计算机已经安装过\n确定要覆盖安装吗?"
                                                       : L"您计算机已经安装过，确定要继续安装吗?";
        if (CMsgBoxDlg::ShowMsgBox(m_hWnd, kTitle, question, MSGBOX_YESNO) != MSGBOX_IDYES)
        {
            RemoveEmptyFolders(missing);
            Close(1);
            return;
        }
    }
    std::vector<std::wstring> created = missing;
    if (!ConfirmFolder(folder, existed, created))
        return;

    m_pInstallMgr->SetShortcutOptions(true, true);
    m_pInstallMgr->SetInstallDir(m_strInstallPath);
    m_pInstallMgr->SetCreatedFolders(created);
    ShowPage(2);
    m_pInstallMgr->BeginInstallThread();
}

void CSetupDlg::OnSelectPath()
{
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.pszDisplayName = display;
    info.lpszTitle = L"从下面选文件夹目录:";
    info.ulFlags = BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (chosen == nullptr)
        return;
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (!found || !IsDirectory(path))
        return;
    std::wstring folder = path;
    m_strInstallPath = folder + (folder.back() == L'/' ? L"" : L"/") + kDefaultAppName;
    if (m_pEditPath != nullptr)
        m_pEditPath->SetText(m_strInstallPath.c_str());
}

void CSetupDlg::OnStartExe()
{
    ::ShowWindow(m_hWnd, SW_HIDE);
    std::wstring commandLine =
        platform::QuoteProgramName(m_strInstallPath + L"/" + ProductFiles::kMainProgram);
    StartProcess(nullptr, commandLine.data(), true);
    Close(1);
}

void CSetupDlg::LoadProtocol()
{
    auto* edit = dynamic_cast<CRichEditUI*>(m_PaintManager.FindControl(L"editProtocal"));
    if (!CPaintManagerUI::IsResourceZipSet())
    {
        const std::wstring path =
            std::wstring(CPaintManagerUI::GetResourcePath().GetData()) + L"protocol.rtf";
        LoadRichEditFile(edit, path.c_str());
        return;
    }
    std::vector<BYTE> buffer;
    if (CRenderEngine::LoadBuffer(L"protocol.rtf", buffer))
        LoadRichEditBuffer(edit, buffer.data(), static_cast<unsigned>(buffer.size()));
}

LRESULT CSetupDlg::OnChar(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    return SwallowBackspace(wParam, bHandled);
}

LRESULT CSetupDlg::OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (m_pInstallMgr->IsRunning())
    {
        LOG_INFO(L"CSetupDlg::OnClose", L"close refused while installing");
        bHandled = TRUE;
        return 0;
    }
    return CProgramDlg::OnClose(uMsg, wParam, lParam, bHandled);
}

LRESULT CSetupDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (uMsg == WM_INSTALL_PROGRESS)
        return OnInstallProgress(wParam);
    return CProgramDlg::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
}

void CSetupDlg::SendStatistics(const InstallProgressRecord& record, bool success)
{
    InstallStatisticsInfo info;
    info.success = success;
    info.message = record.message;
    unsigned code = 0;
    QueryOSVersionCode(&code);
    info.osCode = static_cast<int>(code);
    info.machineId = g_strMachineId;
    info.version = ReadInstallVersion();
    if (success)
        info.channel = ReadInstallChannel();
    SendInstallStatistics(CHttpMgr::GetInstance(), m_hWnd, info);
}

LRESULT CSetupDlg::OnInstallProgress(WPARAM wParam)
{
    const std::unique_ptr<InstallProgressRecord> record = TakeRecord<InstallProgressRecord>(wParam);
    if (record == nullptr)
        return 1;
    if (record->error == 0)
    {
        if (m_pInstProgress != nullptr)
            m_pInstProgress->SetValue(record->percent);
        if (record->percent >= 100)
        {
            SendStatistics(*record, true);
            ShowPage(3);
        }
        return 1;
    }
    m_bFailed = true;
    if (!g_strMachineId.empty())
        SendStatistics(*record, false);
    if (CControlUI* tip = m_PaintManager.FindControl(L"labelInstallTip"))
        tip->SetText(record->message.c_str());
    // The worker has ended with this record; the user learns why and may close the window.
    CMsgBoxDlg::ShowMsgBox(m_hWnd, kTitle, record->message.c_str(), MSGBOX_OK);
    return 1;
}
