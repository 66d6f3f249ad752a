// The main window: skin, start-up of its parts, and the routes of clicks, notifications and
// private messages.

#include "main/MainDlg.h"

#include "common/base/PostedRecord.h"
#include "common/dialog/SingleInstance.h"
#include "common/http/HttpMgr.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"
#include "main/AnimImg.h"
#include "main/ConfigIni.h"
#include "main/LineListUI.h"
#include "main/MagickDriver.h"
#include "main/MyCenterDlg.h"
#include "main/SettingDlg.h"
#include "main/TipsDlg.h"
#include "main/WkeWebkitUI.h"
#include "ui/EditUI.h"

#include "platform/Drop.h"
#include "platform/PathParts.h"

#include <string_view>

using namespace DuiLib;

std::atomic<bool> g_bAppExit{false};
HWND g_hMainWnd = nullptr;

DUI_BEGIN_MESSAGE_MAP(CMainDlg, CWinBaseEx)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CMainDlg::OnClick)
DUI_END_MESSAGE_MAP()

namespace
{
// The product's web site: the contact and help pages lie below it.
constexpr const wchar_t* kSiteHost = L"https://www.pictavo.com";

// Refusals of the row buttons while their tab converts.
constexpr const wchar_t* kOpenRefused = L"正在处理数据中，请稍后打开...";
constexpr const wchar_t* kViewRefused = L"正在处理数据中，请稍后查看...";
constexpr const wchar_t* kModifyRefused = L"正在处理数据中，请稍后修改...";
constexpr const wchar_t* kDeleteRefused = L"正在处理数据中，请稍后删除...";

constexpr DWORD kSettingStyle = 0x96C80000;
constexpr DWORD kSettingExStyle = 0x40000;
constexpr int kSettingConfirmed = 2;

// The prefix of every control of a tab, by tab.
constexpr const wchar_t* kTabPrefixes[TAB_COUNT] = {L"nc_", L"hc_", L"cc_"};

// The tab a control belongs to by its name's prefix, or -1.
int TabOfName(std::wstring_view name)
{
    for (int tab = 0; tab < TAB_COUNT; ++tab)
    {
        if (name.starts_with(kTabPrefixes[tab]))
            return tab;
    }
    return -1;
}

bool IsOutTypeOption(std::wstring_view name)
{
    if (TabOfName(name) < 0)
        return false;
    const std::wstring_view rest = name.substr(3);
    return rest == L"radio_png" || rest == L"radio_jpg" || rest == L"radio_bmp";
}

// A row's buttons and combo sit three levels below the row element.
CControlUI* RowOf(CControlUI* control)
{
    for (int level = 0; level < 3 && control != nullptr; ++level)
        control = control->GetParent();
    return control;
}

// The item of a list's row, or null for a list or an index without one.
FileItem* LineItemAt(const CLineListUI* list, int index)
{
    FileItem* item = nullptr;
    if (list == nullptr || !list->GetLineItem(index, &item))
        return nullptr;
    return item;
}
} // namespace

CMainDlg::CMainDlg() = default;

CMainDlg::~CMainDlg()
{
    // The workers are joined before anything they use goes: a file being converted at closing
    // is finished (its commands were stopped when the user left), an idle worker wakes up.
    g_bAppExit = true;
    StopWorkers();
    CloseWorkEvents();
    DeleteAllItems();
    delete m_pMyCenterDlg;
    m_trayIcon.Delete();
}

LPCTSTR CMainDlg::GetWindowClassName() const
{
    return L"MainDlg";
}

CDuiString CMainDlg::GetSkinFile()
{
    return L"MainDlg.xml";
}

void CMainDlg::OnFinalMessage(HWND hWnd)
{
    CWinBaseEx::OnFinalMessage(hWnd);
    delete this;
}

void CMainDlg::InitWindow()
{
    g_hMainWnd = m_hWnd;
    BindScriptFunctions();
    OnCreateShadow();
    KeepFixedSize();
    FindControls();
    LoadOutDir();
    for (int tab = 0; tab < TAB_COUNT; ++tab)
        m_tabs[tab].m_nOutType = GetOutType(tab);
    if (CControlUI* version = m_PaintManager.FindControl(L"version_txt"))
        version->SetText((L"当前版本：" + CConfigIni::GetVersionStr()).c_str());
    m_trayIcon.Add(GetAppName().c_str());
    ShowMainPage(0);
    if (m_pConvTab != nullptr)
        m_pConvTab->SelectItem(TAB_NORMAL);
    m_strVersion = CConfigIni::GetVersionStr();
    m_strChannel = CConfigIni::GetChannel();
    m_strMachineId = CConfigIni().GetMachineId();
    // No message filter keeps WM_DROPFILES or WM_COPYDATA from a window here.
    RegisterDropTarget();
    InitWorkThread();
    ::SetTimer(m_hWnd, TIMER_AUTO_LOGIN, 2000, nullptr);
    StartInstallerStatistics();
}

void CMainDlg::FindControls()
{
    auto button = [this](LPCTSTR name) { return static_cast<CButtonUI*>(m_PaintManager.FindControl(name)); };
    m_pMainTab = static_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"main_tab"));
    m_pConvTab = static_cast<CTabLayoutUI*>(m_PaintManager.FindControl(L"conv_tab"));
    for (int tab = 0; tab < TAB_COUNT; ++tab)
    {
        auto find = [this, tab](const wchar_t* name) {
            return m_PaintManager.FindControl((std::wstring(kTabPrefixes[tab]) + name).c_str());
        };
        TabState& state = m_tabs[tab];
        state.m_pList = static_cast<CLineListUI*>(find(L"list"));
        state.m_pDragBtn = static_cast<CButtonUI*>(find(L"btn_drag"));
        state.m_pStartBtn = static_cast<CButtonUI*>(find(L"btn_start_conv"));
        state.m_pCancelBtn = static_cast<CButtonUI*>(find(L"btn_cancel_conv"));
        state.m_pEditPath = static_cast<CEditUI*>(find(L"edit_path"));
    }
    m_pWebView = static_cast<CWkeWebkitUI*>(m_PaintManager.FindControl(L"wkePay"));
    if (m_pWebView != nullptr)
        m_pWebView->SetListener(this);
    m_pLoadingAnim = static_cast<CAnimImg*>(m_PaintManager.FindControl(L"loadingAnim"));
    m_pLoadingTxt = m_PaintManager.FindControl(L"loadingTxt");
    m_pLoadErrorImg = m_PaintManager.FindControl(L"loadErrorImg");
    m_pRefreshBtn = button(L"btnRefresh");
    m_pLoadLayout = m_PaintManager.FindControl(L"load_layout");
}

void CMainDlg::ShowMainPage(int page)
{
    if (m_pMainTab != nullptr)
        m_pMainTab->SelectItem(page);
}

CControlUI* CMainDlg::CreateControl(LPCTSTR pstrClass)
{
    const CDuiString tag(pstrClass);
    if (tag.CompareNoCase(L"LineList") == 0)
        return new CLineListUI;
    // The web view and the animated controls are in the framework's factory (MainControls).
    return nullptr;
}

// ---- Notifications and clicks ---------------------------------------------------------------

void CMainDlg::Notify(TNotifyUI& msg)
{
    const CDuiString name = msg.pSender != nullptr ? msg.pSender->GetName() : CDuiString();
    if (msg.sType == DUI_MSGTYPE_SELECTCHANGED && IsOutTypeOption(name.GetData()))
        OnOutTypeChanged(TabOfName(name.GetData()));
    else if (msg.sType == DUI_MSGTYPE_ITEMSELECT && name == L"combo_out_type")
        OnRowOutTypeChanged(msg);
    WindowImplBase::Notify(msg);
}

void CMainDlg::OnOutTypeChanged(int tab)
{
    // The click guard stops the mouse; a double click's second press, the keyboard or any
    // other road that selects an option of a converting tab is undone here.
    if (IsConverting(tab))
    {
        ShowOutType(tab, m_tabs[tab].m_nOutType);
        ShowTips(kModifyRefused);
        return;
    }
    const int outType = GetOutType(tab);
    m_tabs[tab].m_nOutType = outType;
    for (FileItem* item : GetTabItems(tab))
        item->m_nOutType = outType;
    SortLines(tab);
}

void CMainDlg::ShowOutType(int tab, int outType)
{
    static constexpr const wchar_t* types[] = {L"radio_png", L"radio_jpg", L"radio_bmp"};
    const std::wstring name = std::wstring(kTabPrefixes[tab]) + types[outType];
    if (auto* option = dynamic_cast<COptionUI*>(m_PaintManager.FindControl(name.c_str())))
        option->Selected(true, false);
}

void CMainDlg::OnRowOutTypeChanged(TNotifyUI& msg)
{
    if (m_pMainTab == nullptr || m_pMainTab->GetCurSel() != 0)
        return;
    if (FileItem* item = LineItemAt(GetTabList(GetCurrentTab()), RowIndexOf(msg.pSender)))
        item->m_nOutType = static_cast<int>(msg.wParam);
}

void CMainDlg::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closeBtn")
        ExitApp();
    else if (name == L"minBtn")
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (OnTabClick(name) || OnConvertClick(name) || OnRowClick(msg))
        return;
    else if (name == L"btn_contact")
        OpenSitePage(L"/contact");
    else if (name == L"btn_help")
        OpenSitePage(L"/help");
    else if (name == L"btn_back")
        ShowMainPage(0);
    else if (name == L"btn_login")
        OpenWebPage(MakeUrl(CConfigIni().GetLoginUrl()));
    else if (name == L"btn_mycenter")
        ShowMyCenter();
    else if (name == L"btnRefresh")
        OnRefresh();
}

bool CMainDlg::OnTabClick(const CDuiString& name)
{
    static constexpr const wchar_t* options[TAB_COUNT] = {L"op_normal", L"op_heic", L"op_compress"};
    for (int tab = 0; tab < TAB_COUNT; ++tab)
    {
        if (name == options[tab])
        {
            if (m_pConvTab != nullptr)
                m_pConvTab->SelectItem(tab);
            return true;
        }
    }
    return false;
}

bool CMainDlg::OnConvertClick(const CDuiString& name)
{
    const int tab = TabOfName(name.GetData());
    if (tab < 0)
        return false;
    const std::wstring_view action = std::wstring_view(name.GetData()).substr(3);
    if (action == L"btn_add_file" || action == L"btn_drag")
        OnAddFile(tab);
    else if (action == L"btn_add_folder")
        OnAddFolder(tab);
    else if (action == L"btn_clear")
        ClearList(tab);
    else if (action == L"btn_modify_path")
        ModifyOutDir();
    else if (action == L"btn_start_conv")
        StartConvert(tab);
    else if (action == L"btn_cancel_conv")
        CancelConvert(tab);
    else
        return false;
    return true;
}

bool CMainDlg::OnRowClick(TNotifyUI& msg)
{
    struct RowOperation
    {
        const wchar_t* name;
        const wchar_t* refusal;
        void (CMainDlg::*action)(int row);
    };
    static constexpr RowOperation operations[] = {
        {L"op_folder", kOpenRefused, &CMainDlg::OnRowOpenFolder},
        {L"op_scan", kViewRefused, &CMainDlg::OnRowOpenFile},
        {L"op_setting", kModifyRefused, &CMainDlg::OnRowSetting},
        {L"op_del", kDeleteRefused, &CMainDlg::OnRowDelete},
    };
    const CDuiString name = msg.pSender->GetName();
    for (const RowOperation& operation : operations)
    {
        if (name != operation.name)
            continue;
        if (IsConverting(GetCurrentTab()))
            ShowTips(operation.refusal);
        else
            (this->*operation.action)(RowIndexOf(msg.pSender));
        return true;
    }
    return false;
}

int CMainDlg::RowIndexOf(CControlUI* control)
{
    CControlUI* row = RowOf(control);
    auto* item = row != nullptr ? static_cast<IListItemUI*>(row->GetInterface(L"ListItem")) : nullptr;
    return item != nullptr ? item->GetIndex() : -1;
}

void CMainDlg::OnRowOpenFolder(int row)
{
    const FileItem* item = LineItemAt(GetTabList(GetCurrentTab()), row);
    if (item != nullptr && !item->m_strOutPath.empty())
        ProductFiles::OpenWithShell(platform::ParentFolder(item->m_strOutPath));
}

void CMainDlg::OnRowOpenFile(int row)
{
    const FileItem* item = LineItemAt(GetTabList(GetCurrentTab()), row);
    if (item != nullptr && !item->m_strOutPath.empty())
        ProductFiles::OpenWithShell(item->m_strOutPath);
}

void CMainDlg::OnRowSetting(int row)
{
    FileItem* item = LineItemAt(GetTabList(GetCurrentTab()), row);
    if (item == nullptr)
        return;
    CSettingDlg dialog;
    dialog.m_nRowIndex = row;
    dialog.m_item = *item;
    if (dialog.Create(m_hWnd, L"设置", kSettingStyle, kSettingExStyle) == nullptr)
        return;
    dialog.CenterWindow();
    if (dialog.ShowModal() == kSettingConfirmed)
    {
        item->m_nResize = dialog.m_item.m_nResize;
        item->m_nQuality = dialog.m_item.m_nQuality;
    }
}

void CMainDlg::OnRowDelete(int row)
{
    const int tab = GetCurrentTab();
    CLineListUI* list = GetTabList(tab);
    std::vector<FileItem*>& items = GetTabItems(tab);
    // Rows and items stay in step; a row without its item (or the reverse) is left alone.
    if (list == nullptr || row < 0 || row >= list->GetCount() || row >= static_cast<int>(items.size()))
        return;
    FileItem* item = items[static_cast<size_t>(row)];
    list->RemoveLine(row);
    items.erase(items.begin() + row);
    list->SortLines();
    delete item;
}

void CMainDlg::OpenSitePage(LPCWSTR path)
{
    ProductFiles::OpenWithShell(MakeUrl(std::wstring(kSiteHost) + path));
}

// ---- Window messages ------------------------------------------------------------------------

LRESULT CMainDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    LRESULT result = 0;
    switch (uMsg)
    {
    case WM_COPYDATA:
        return OnCopyData(uMsg, wParam, lParam, bHandled);
    case WM_TRAY_NOTIFY:
        return OnTrayIcon(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        bHandled = GuardOutTypeClick(lParam) ? TRUE : FALSE;
        return bHandled ? 1 : 0;
    case WM_DROPFILES:
        return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    case WM_HTTP_REPLY:
        // The window's own requests need nothing from their replies.
        TakeRecord<HttpReply>(wParam).reset();
        return 1;
    default:
        // The login, logout, first-page, avatar and conversion messages are routed with their parts.
        if (HandleLoginMessage(uMsg, wParam, result) || HandleConvertMessage(uMsg, wParam, lParam, result))
            return result;
        bHandled = FALSE;
        return 0;
    }
}

bool CMainDlg::GuardOutTypeClick(LPARAM lParam)
{
    if (m_pMainTab == nullptr || m_pMainTab->GetCurSel() != 0)
        return false;
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    CControlUI* control = m_PaintManager.FindControl(pt);
    if (control == nullptr || !control->IsVisible())
        return false;
    const CDuiString name = control->GetName();
    if (!IsOutTypeOption(name.GetData()) || !IsConverting(TabOfName(name.GetData())))
        return false;
    ShowTips(kModifyRefused);
    return true;
}

LRESULT CMainDlg::OnCopyData(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    return HandleActivateMessage(m_hWnd, wParam, lParam, bHandled);
}

LRESULT CMainDlg::OnChar(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    // Backspace stays with the window; every other character goes on to the controls.
    if (wParam != 8)
        bHandled = FALSE;
    return 0;
}

LRESULT CMainDlg::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE)
    {
        ExitApp();
        bHandled = TRUE;
        return 0;
    }
    return CWinBaseEx::OnSysCommand(uMsg, wParam, lParam, bHandled);
}

void CMainDlg::ExitApp()
{
    if (::IsWindowEnabled(m_hWnd))
        ::ShowWindow(m_hWnd, SW_HIDE);
    g_bAppExit = true;
    LeaveAtOnce();
    m_trayIcon.Delete();
    CloseAllTips();
    ::PostQuitMessage(0);
}

void CMainDlg::LeaveAtOnce()
{
    // A large image would otherwise keep the closing program, its lock and its window alive
    // for many seconds, and a new start would find a window that never answers.
    MagickAbortCommands();
    ReleaseSingleInstance();
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    g_bAppExit = true;
    LeaveAtOnce();
    StopWorkers(); // their events go next
    CloseWorkEvents();
    for (TabState& state : m_tabs)
    {
        if (state.m_pList != nullptr)
            state.m_pList->RemoveAll();
    }
    DeleteAllItems();
    ::PostQuitMessage(0);
    bHandled = FALSE;
    return 0;
}

// ---- What the conversion code asks of the controls ------------------------------------------

void CMainDlg::ShowConvertButtons(int tab, bool converting)
{
    const TabState& state = m_tabs[tab];
    if (state.m_pStartBtn != nullptr)
        state.m_pStartBtn->SetVisible(!converting);
    if (state.m_pCancelBtn != nullptr)
        state.m_pCancelBtn->SetVisible(converting);
}

void CMainDlg::SortLines(int tab)
{
    if (CLineListUI* list = GetTabList(tab); list != nullptr)
        list->SortLines();
}

void CMainDlg::RefreshLine(int tab, int index)
{
    CLineListUI* list = GetTabList(tab);
    if (CControlUI* row = list != nullptr ? list->GetItemAt(index) : nullptr)
        CLineListUI::RefreshLine(row);
}

void CMainDlg::ShowTips(const std::wstring& text)
{
    ::ShowTips(m_hWnd, text);
}
