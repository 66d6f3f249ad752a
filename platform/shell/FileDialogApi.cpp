// GetOpenFileNameW and SHBrowseForFolderW: the question is recorded, asked of the desktop's file
// chooser (or answered by a test when headless), and the answer written in the Windows form.
#include "platform/Dialogs.h"
#include "platform/Utf.h"
#include "platform/WinError.h"
#include "platform/Window.h"
#include "platform/shell/FilterList.h"
#include "platform/shell/ItemIdList.h"
#include "platform/shell/OpenFileResult.h"
#include "platform/shell/ShellBackend.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <utility>

using platform::FileDialogAnswer;
using platform::headless::FileDialogCall;
using platform::headless::FileDialogKind;

namespace
{
thread_local DWORD t_dialogError = 0;

std::mutex g_lock;
FileDialogCall g_last;

std::wstring TextOf(LPCWSTR text)
{
    return text != nullptr ? std::wstring(text) : std::wstring();
}

FileDialogCall MakeCall(FileDialogKind kind, HWND owner, std::wstring initialDir, LPCWSTR title, DWORD flags)
{
    FileDialogCall call;
    call.kind = kind;
    call.owner = owner;
    call.initialDir = std::move(initialDir);
    call.title = TextOf(title);
    call.flags = flags;
    return call;
}

FileDialogAnswer Ask(const FileDialogCall& call)
{
    {
        std::lock_guard lock(g_lock);
        g_last = call;
    }
    return platform::Shell().AskFiles(call);
}

BOOL FailDialog(DWORD error)
{
    t_dialogError = error;
    return FALSE;
}

// The dialog starts in the pidlRoot folder when one is given, else in the home folder: the
// desktop's chooser would open in its list of recent files, where no folder can be picked
// and a typed path goes nowhere.
std::wstring StartFolder(PCIDLIST_ABSOLUTE root)
{
    if (const std::optional<std::wstring> folder = platform::ItemIdList::PathOf(root))
        return *folder;
    const char* home = std::getenv("HOME");
    return home != nullptr && *home == '/' ? platform::FromUtf8(home) : std::wstring();
}

// The callback's side of the dialog: a window that is never shown and only hears which
// folder the callback selects.
thread_local std::wstring t_selection;

LRESULT CALLBACK SelectionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == BFFM_SETSELECTIONW && wParam != 0 && lParam != 0)
    {
        t_selection = reinterpret_cast<LPCWSTR>(lParam);
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The folder the BFFM_INITIALIZED callback selects; empty without a callback or a selection.
std::wstring SelectedByCallback(const BROWSEINFOW& info)
{
    if (info.lpfn == nullptr)
        return {};
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &SelectionProc;
        wc.lpszClassName = L"PlatformBrowseSelection";
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered)
        return {};
    const HWND dialog = CreateWindowExW(0, L"PlatformBrowseSelection", L"", WS_POPUP, 0, 0, 1, 1,
                                        info.hwndOwner, nullptr, nullptr, nullptr);
    if (dialog == nullptr)
        return {};
    t_selection.clear();
    info.lpfn(dialog, BFFM_INITIALIZED, 0, info.lParam);
    DestroyWindow(dialog);
    return std::exchange(t_selection, std::wstring());
}

void CopyDisplayName(const std::wstring& folder, LPWSTR displayName)
{
    if (displayName == nullptr)
        return;
    const size_t slash = folder.rfind(L'/');
    std::wstring name = slash == std::wstring::npos || folder == L"/" ? folder : folder.substr(slash + 1);
    name.resize(std::min<size_t>(name.size(), MAX_PATH - 1));
    std::wmemcpy(displayName, name.c_str(), name.size() + 1);
}
} // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn)
{
    t_dialogError = 0;
    if (ofn == nullptr || ofn->lStructSize < sizeof(OPENFILENAMEW))
        return FailDialog(CDERR_STRUCTSIZE);
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0)
        return FailDialog(CDERR_INITIALIZATION);
    FileDialogCall call = MakeCall(FileDialogKind::OpenFile, ofn->hwndOwner, TextOf(ofn->lpstrInitialDir),
                                   ofn->lpstrTitle, ofn->Flags);
    call.filters = platform::FilterList::Parse(ofn->lpstrFilter);
    call.filterIndex = ofn->nFilterIndex;
    const FileDialogAnswer answer = Ask(call);
    if (!answer)
        return FALSE;
    const DWORD error = platform::OpenFileResult::Write(*ofn, *answer);
    return error == 0 ? TRUE : FailDialog(error);
}

DWORD CommDlgExtendedError()
{
    return t_dialogError;
}

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info)
{
    if (info == nullptr)
        return nullptr;
    const std::wstring selected = SelectedByCallback(*info);
    const FileDialogCall call =
        MakeCall(FileDialogKind::Folder, info->hwndOwner,
                 selected.empty() ? StartFolder(info->pidlRoot) : selected, info->lpszTitle, info->ulFlags);
    const FileDialogAnswer answer = Ask(call);
    if (!answer)
        return nullptr;
    CopyDisplayName(answer->front(), info->pszDisplayName);
    return platform::ItemIdList::Create(answer->front());
}

namespace platform::headless
{
FileDialogCall LastFileDialog()
{
    std::lock_guard lock(g_lock);
    return g_last;
}
} // namespace platform::headless
