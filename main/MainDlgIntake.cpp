// File intake of the three conversion tabs (add-file and add-folder dialogs, drops, clearing)
// and the one output folder that all tabs write to.

#include "main/MainDlg.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"
#include "common/install/CreatedFolders.h"
#include "main/ConfigIni.h"
#include "main/LineListUI.h"
#include "main/MagickLeftovers.h"
#include "main/TipsDlg.h"
#include "ui/EditUI.h"

#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "platform/Shell.h"

#include <climits>
#include <cwchar>
#include <iterator>
#include <string_view>

using namespace std::literals;

namespace
{
const wchar_t* const kAddRefused = L"正在处理数据中，请稍后添加...";
const wchar_t* const kClearRefused = L"正在处理数据中，请稍后清空...";
const wchar_t* const kModifyRefused = L"有数据正在处理中，请稍后修改...";

// The add-file dialog's result buffer: the size the selection of many files needs.
constexpr DWORD kOpenFileChars = 266240;

struct TypeWord
{
    std::wstring_view suffix;
    const wchar_t* word;
};

// Tried in this order: the first suffix that ends the path names its type.
const TypeWord kTypeWords[] = {
    {L".png", L"png"},   {L".jpg", L"jpg"}, {L".jpeg", L"jpeg"}, {L".bmp", L"bmp"}, {L".psd", L"psd"},
    {L".heic", L"heic"}, {L".gif", L"gif"}, {L".tiff", L"tiff"}, {L".tif", L"tif"},
};

const std::wstring_view kNormalSuffixes[] = {L".png", L".jpg", L".jpeg", L".bmp",
                                             L".psd", L".gif", L".tif",  L".tiff"};
const std::wstring_view kHeicSuffixes[] = {L".heic"};
const std::wstring_view kCompressSuffixes[] = {L".png", L".jpg", L".jpeg", L".bmp"};

// The add-file dialog's filter of each tab: "description\0pattern\0", ended by the literal's zero.
const std::wstring_view kOpenFilters[] = {
    L"图片(*.*)\0*.*\0"sv,
    L"图片(*.heic)\0*.heic\0"sv,
    L"PNG(*.png;*.jpg;*.jpeg;*.bmp)\0*.png;*.jpg;*.jpeg;*.bmp\0"sv,
};

bool IsTab(int tab)
{
    return tab >= TAB_NORMAL && tab < TAB_COUNT;
}

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Suffixes are ASCII; the path keeps its case, only the comparison ignores it.
bool EndsWithNoCase(const std::wstring& path, std::wstring_view suffix)
{
    if (path.size() < suffix.size())
        return false;
    const size_t start = path.size() - suffix.size();
    for (size_t i = 0; i < suffix.size(); ++i)
    {
        if (AsciiLower(path[start + i]) != suffix[i])
            return false;
    }
    return true;
}

template <size_t N> bool EndsWithAny(const std::wstring& path, const std::wstring_view (&suffixes)[N])
{
    for (std::wstring_view suffix : suffixes)
    {
        if (EndsWithNoCase(path, suffix))
            return true;
    }
    return false;
}

// A name the file system cannot take whole (PATH_MAX bytes with its zero) is never cut to
// another file's name: it is left out.
bool FitsPathLimit(const std::wstring& path)
{
    return WideToAnsi(path).size() < PATH_MAX;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (!folder.empty() && folder.back() == L'/')
        return folder + name;
    return folder + L"/" + name;
}

// The paths of an add-file dialog's result: the folder is the text before the file-name
// offset, the names follow it, each ended by a zero, up to an empty one. This serves both
// a single file (its full path) and several (folder, zero, names).
std::vector<std::wstring> SplitOpenFileResult(const std::vector<wchar_t>& buffer, WORD nameOffset)
{
    std::vector<std::wstring> paths;
    if (nameOffset == 0 || nameOffset >= buffer.size())
        return paths;
    const std::wstring folder(buffer.data(), nameOffset - 1);
    size_t pos = nameOffset;
    while (pos < buffer.size() && buffer[pos] != L'\0')
    {
        const std::wstring name(buffer.data() + pos, wcsnlen(buffer.data() + pos, buffer.size() - pos));
        pos += name.size() + 1;
        paths.push_back(JoinPath(folder, name));
    }
    return paths;
}

// Selects the folder given in lParam as the dialog opens.
int CALLBACK StartInFolder(HWND dialog, UINT msg, LPARAM, LPARAM folder)
{
    if (msg == BFFM_INITIALIZED && folder != 0)
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
}

// The folder the user picks, or empty when the dialog was cancelled or the choice has no
// file-system path. The dialog starts in startFolder when one is given.
std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder = {})
{
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    if (!startFolder.empty())
    {
        info.lpfn = &StartInFolder;
        info.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    }
    info.pszDisplayName = displayName;
    info.lpszTitle = L"从下面选文件夹目录:";
    info.ulFlags = BIF_RETURNFSANCESTORS;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
    if (pidl == nullptr)
        return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(pidl, path);
    CoTaskMemFree(pidl);
    return found ? std::wstring(path) : std::wstring();
}

std::wstring DesktopFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
    return path;
}

// Whether the tab's list may change now; while the tab converts it may not, and the user is
// told so with the toast.
bool MayChangeTab(CMainDlg& dlg, int tab, const wchar_t* toast)
{
    if (!IsTab(tab))
        return false;
    if (!dlg.IsConverting(tab))
        return true;
    ShowTips(dlg.GetHWND(), toast);
    return false;
}

// Adds the candidates that the tab accepts and the file system can name; others are left
// out without a word.
void AddAccepted(CMainDlg& dlg, int tab, const std::vector<std::wstring>& candidates)
{
    std::vector<std::wstring> paths;
    for (const std::wstring& path : candidates)
    {
        if (FitsPathLimit(path) && CMainDlg::IsAcceptedFile(path, tab))
            paths.push_back(path);
    }
    if (!paths.empty())
        dlg.AddFiles(tab, paths);
}
} // namespace

bool CMainDlg::IsAcceptedFile(const std::wstring& path, int tab)
{
    switch (tab)
    {
    case TAB_NORMAL:
        return EndsWithAny(path, kNormalSuffixes);
    case TAB_HEIC:
        return EndsWithAny(path, kHeicSuffixes);
    case TAB_COMPRESS:
        return EndsWithAny(path, kCompressSuffixes);
    default:
        return false;
    }
}

std::wstring CMainDlg::GetFileTypeWord(const std::wstring& path)
{
    for (const TypeWord& type : kTypeWords)
    {
        if (EndsWithNoCase(path, type.suffix))
            return type.word;
    }
    return L"unknow";
}

std::wstring CMainDlg::GetDefaultOutDir()
{
    wchar_t documents[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, documents, CSIDL_COMMON_DOCUMENTS, FALSE))
    {
        // Never a folder at the file system's root instead.
        LOG_ERROR(L"CMainDlg::GetDefaultOutDir", L"no documents folder");
        return {};
    }
    const std::wstring dir = JoinPath(documents, L"Pictavo");
    // The documents folder itself may not exist yet on Linux (no desktop session ever made
    // it), and a default output folder that cannot be written would fail every conversion:
    // make the whole tree. A failure shows later, when a conversion cannot write.
    // Recorded for the uninstaller, which removes the folder again while it is empty.
    if (PathExists(dir, 0) == -1 && CreateDirectoryTree(dir))
        RecordMadeOutputFolder(dir);
    return dir;
}

int CMainDlg::GetCurrentTab() const
{
    if (m_pMainTab == nullptr || m_pMainTab->GetCurSel() != 0)
        return 3;
    return m_pConvTab != nullptr ? m_pConvTab->GetCurSel() : TAB_NORMAL;
}

CLineListUI* CMainDlg::GetTabList(int tab) const
{
    return Tab(tab).m_pList;
}

std::vector<FileItem*>& CMainDlg::GetTabItems(int tab)
{
    return Tab(tab).m_vecItems;
}

int CMainDlg::GetOutType(int tab)
{
    static const wchar_t* const kPrefixes[] = {L"nc", L"hc", L"cc"};
    const std::wstring prefix = IsTab(tab) ? kPrefixes[tab] : kPrefixes[TAB_NORMAL];
    static const wchar_t* const kTypes[] = {L"_radio_png", L"_radio_jpg", L"_radio_bmp"};
    for (int type = 0; type < static_cast<int>(std::size(kTypes)); ++type)
    {
        auto* option =
            dynamic_cast<DuiLib::COptionUI*>(m_PaintManager.FindControl((prefix + kTypes[type]).c_str()));
        if (option != nullptr && option->IsSelected())
            return type;
    }
    return 0;
}

void CMainDlg::UpdateDragHint(int tab)
{
    DuiLib::CButtonUI* hint = Tab(tab).m_pDragBtn;
    const CLineListUI* list = GetTabList(tab);
    if (hint != nullptr)
        hint->SetVisible(list == nullptr || list->GetCount() <= 0);
}

void CMainDlg::AddFiles(int tab, const std::vector<std::wstring>& paths)
{
    if (!MayChangeTab(*this, tab, kAddRefused))
        return;
    CLineListUI* list = GetTabList(tab);
    if (list == nullptr)
        return;
    std::vector<FileItem*>& items = GetTabItems(tab);
    int& nextId = Tab(tab).m_nNextId;
    const int outType = GetOutType(tab);
    int failed = 0;
    for (const std::wstring& path : paths)
    {
        auto* item = new FileItem;
        item->m_nId = nextId;
        item->m_strPath = path;
        item->m_strType = GetFileTypeWord(path);
        item->m_nOutType = outType;
        item->m_nStatus = FILE_WAITING;
        item->m_nKind = tab;
        // An item whose row cannot be built is taken out again (and deleted), so row i
        // always shows item i.
        if (list->AddLine(items, item))
            ++nextId;
        else
            ++failed;
    }
    if (failed != 0)
        LOG_ERROR(L"CMainDlg::AddFiles", L"tab=%d rows not built=%d", tab, failed);
    list->SortLines();
    UpdateDragHint(tab);
}

int CMainDlg::OnDropFiles(HDROP drop)
{
    const int tab = GetCurrentTab();
    if (tab == 3)
    {
        DragFinish(drop);
        return 0;
    }
    std::vector<std::wstring> names;
    const UINT count = DragQueryFileW(drop, DRAG_QUERY_COUNT, nullptr, 0);
    for (UINT i = 0; i < count; ++i)
    {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::wstring name(length + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
        names.push_back(name);
    }
    DragFinish(drop);
    AddAccepted(*this, tab, names);
    return 1;
}

void CMainDlg::OnAddFile(int tab)
{
    if (!MayChangeTab(*this, tab, kAddRefused))
        return;
    std::vector<wchar_t> buffer(kOpenFileChars, L'\0');
    const std::wstring initialDir = DesktopFolder();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetHWND();
    ofn.lpstrFilter = kOpenFilters[tab].data();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kOpenFileChars;
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&ofn))
        return;
    AddAccepted(*this, tab, SplitOpenFileResult(buffer, ofn.nFileOffset));
}

void CMainDlg::OnAddFolder(int tab)
{
    if (!MayChangeTab(*this, tab, kAddRefused))
        return;
    const std::wstring folder = BrowseForFolder(GetHWND());
    if (folder.empty())
        return;
    std::vector<std::wstring> names;
    ListDirectory(&names, folder);
    for (std::wstring& name : names)
        name = JoinPath(folder, name);
    AddAccepted(*this, tab, names);
}

void CMainDlg::ClearList(int tab)
{
    if (!MayChangeTab(*this, tab, kClearRefused))
        return;
    if (CLineListUI* list = GetTabList(tab))
        list->RemoveAll();
    std::vector<FileItem*>& items = GetTabItems(tab);
    for (FileItem* item : items)
        delete item;
    items.clear();
    UpdateDragHint(tab);
}

void CMainDlg::SetOutDir(const std::wstring& dir)
{
    m_strOutDir = dir;
    for (const TabState& state : m_tabs)
    {
        if (state.m_pEditPath != nullptr)
            state.m_pEditPath->SetText(dir.c_str());
    }
}

void CMainDlg::ModifyOutDir()
{
    // One folder serves all tabs, so a job on any tab blocks the change.
    for (int tab = TAB_NORMAL; tab < TAB_COUNT; ++tab)
    {
        if (!MayChangeTab(*this, tab, kModifyRefused))
            return;
    }
    const std::wstring folder = BrowseForFolder(GetHWND(), m_strOutDir);
    if (folder.empty())
        return;
    SetOutDir(folder);
    const CConfigIni config;
    if (!WritePrivateProfileStringW(L"CONFIG", L"out_dir", folder.c_str(), config.m_strIniPath.c_str()))
        LOG_WARN(L"CMainDlg::ModifyOutDir", L"config.ini not written error=%d",
                 static_cast<int>(GetLastError()));
}

void CMainDlg::LoadOutDir()
{
    std::wstring dir = CConfigIni().GetOutDir();
    // A folder that is gone is replaced for this run only: config.ini keeps the user's choice.
    if (dir.empty() || PathExists(dir, 0) == -1)
        dir = GetDefaultOutDir();
    SetOutDir(dir);
    // Half-written outputs of a conversion that was killed are never finished: they go.
    if (!dir.empty())
        RemoveDeadHiddenOutputs(WideToAnsi(dir));
}

void CMainDlg::RegisterDropTarget()
{
    DragAcceptFiles(GetHWND(), TRUE);
    // Windows also lifts the message filter (ChangeWindowMessageFilter, looked up by name in
    // user32.dll) for drops from elevated programs; that lookup fails on Linux and is skipped.
}
