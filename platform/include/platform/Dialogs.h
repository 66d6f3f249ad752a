#pragma once
// The file and folder dialogs: a modal GTK file chooser owned by the caller's top-level window,
// run in a message loop of its own (the thread's timers and posted messages go on meanwhile).
// Without a display nothing can show: the call is recorded and answered with what a test set.

#include "platform/Shell.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

using LPOFNHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW
{
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter; // "description\0pattern;pattern\0...\0\0"
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex; // 1-based; 0 counts as 1
    LPWSTR lpstrFile;   // the result; nMaxFile characters
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle; // the (first) chosen name when it fits nMaxFileTitle
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;
using OPENFILENAME = OPENFILENAMEW;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;
constexpr DWORD OFN_DONTADDTORECENT = 0x02000000;
constexpr DWORD OFN_FORCESHOWHIDDEN = 0x10000000;

constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// TRUE with the choice in lpstrFile: one file as its full path, nFileOffset at its name and
// nFileExtension after its last dot (0 without one); several files (OFN_ALLOWMULTISELECT) as
// "folder\0name\0name\0\0" with nFileOffset at the first name, where names of files below
// sub-folders of the folder hold their relative path. FALSE when cancelled (CommDlgExtendedError
// 0) or failed: FNERR_BUFFERTOOSMALL when the choice does not fit nMaxFile, and then
// lpstrFile is left as it was.
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
#define GetOpenFileName GetOpenFileNameW
// The error of the calling thread's last dialog, 0 after success or cancel.
DWORD CommDlgExtendedError();

using BFFCALLBACK = int(CALLBACK*)(HWND, UINT, LPARAM, LPARAM);

struct BROWSEINFOW
{
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    LPWSTR pszDisplayName; // MAX_PATH characters: the chosen folder's name
    LPCWSTR lpszTitle;
    UINT ulFlags;
    // Called once with BFFM_INITIALIZED before the dialog shows; sending BFFM_SETSELECTIONW
    // (wParam TRUE, lParam the path) to the window it is given picks the start folder. The
    // dialog is the desktop's own: no other message reaches the callback.
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
using LPBROWSEINFOW = BROWSEINFOW*;
using BROWSEINFO = BROWSEINFOW;

constexpr UINT BIF_RETURNONLYFSDIRS = 0x00000001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x00000002;
constexpr UINT BIF_STATUSTEXT = 0x00000004;
constexpr UINT BIF_RETURNFSANCESTORS = 0x00000008;
constexpr UINT BIF_EDITBOX = 0x00000010;
constexpr UINT BIF_VALIDATE = 0x00000020;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x00000040;
constexpr UINT BIF_USENEWUI = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
constexpr UINT BIF_NONEWFOLDERBUTTON = 0x00000200;

constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SETSELECTIONW = 0x0400 + 103; // WM_USER + 103

// The chosen folder as an item id list (free it with CoTaskMemFree or ILFree), or null when
// cancelled. The dialog starts in the folder the callback selects, else in pidlRoot's folder,
// else in the home folder.
PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info);
#define SHBrowseForFolder SHBrowseForFolderW

namespace platform::headless
{
enum class FileDialogKind
{
    OpenFile,
    Folder
};

// What the last dialog (of either backend) was asked to show.
struct FileDialogCall
{
    FileDialogKind kind = FileDialogKind::OpenFile;
    HWND owner = nullptr;
    std::vector<std::pair<std::wstring, std::wstring>> filters; // description, patterns
    DWORD filterIndex = 0;
    std::wstring initialDir;
    std::wstring title;
    DWORD flags = 0;
};

// The answer of headless dialogs from now on: the chosen paths (a folder dialog takes the
// first), or std::nullopt (the start value) / no paths to cancel.
void SetFileDialogAnswer(std::optional<std::vector<std::wstring>> paths);
FileDialogCall LastFileDialog();
} // namespace platform::headless
