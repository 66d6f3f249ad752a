#pragma once
// The main window: three conversion tabs with their file lists, the output folder, the
// title bar, and the routes from clicks, notifications and private messages to the routines
// that do the work. Everything here runs on the UI thread except the three workers.

#include "common/base/WorkerThread.h"
#include "common/dialog/WinBaseEx.h"
#include "main/ConvertResultRecord.h"
#include "main/ConvertView.h"
#include "main/FileItem.h"
#include "main/TrayIcon.h"
#include "main/WkeEvent.h"

#include "platform/UniqueHandle.h"
#include "platform/Win32.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class CAnimImg;
class CLineListUI;
class CMyCenterDlg;
class CWkeWebkitUI;
namespace DuiLib
{
class CEditUI;
} // namespace DuiLib

// Private messages of the main window.
constexpr UINT WM_TRAY_NOTIFY = 2025;
constexpr UINT WM_LOGIN_RESULT = 2028;
constexpr UINT WM_LOGOUT = 2029;
constexpr UINT WM_GO_FIRST_PAGE = 2030;
constexpr UINT WM_AVATAR_READY = 2031;
// Result messages of the three tabs; wParam is a ConvertResultRecord the handler deletes.
constexpr UINT WM_NC_CONVERT_RESULT = 2038;
constexpr UINT WM_HC_CONVERT_RESULT = 2039;
constexpr UINT WM_CC_CONVERT_RESULT = 2040;
// The auto-login, two seconds after the window starts.
constexpr UINT_PTR TIMER_AUTO_LOGIN = 3001;

// The stop flag of the whole program: set when the main window goes away.
extern std::atomic<bool> g_bAppExit;
// The main window's handle, for threads and handlers that post to it.
extern HWND g_hMainWnd;

class CMainDlg : public CWinBaseEx, private IConvertView, public IWkeEvent
{
public:
    CMainDlg();
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;
    ~CMainDlg() override;

    // WindowImplBase
    LPCTSTR GetWindowClassName() const override;
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    void OnClick(DuiLib::TNotifyUI& msg) override;
    DuiLib::CDuiString GetSkinFile() override;
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;

    virtual LRESULT OnCopyData(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // WM_TRAY_NOTIFY: lParam the mouse message on the icon (MainDlgTray.cpp).
    virtual LRESULT OnTrayIcon(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // Ends the program: hides the window, sets the stop flag, stops the running conversions,
    // lets a new copy start, closes the toasts and posts the quit message. Does not wait for
    // any thread.
    void ExitApp();

    // Without a window (the conversion tests and benchmarks): the handle results are posted
    // to, and who answers for the controls.
    void SetHWND(HWND hwnd) { m_hWnd = hwnd; }
    void SetConvertView(IConvertView* view) { m_pConvertView = view; }

    // Work queues and workers (MainDlgConvert.cpp)
    void InitWorkThread();
    void StartConvert(int tab);
    void CancelConvert(int tab);
    // Routes the three result messages; false for any other message.
    bool HandleConvertMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT OnNCConvertResult(WPARAM wParam);
    LRESULT OnHCConvertResult(WPARAM wParam);
    LRESULT OnCCConvertResult(WPARAM wParam);

    bool IsConverting(int tab) const;

    // File intake and output folder (MainDlgIntake.cpp)
    // A path is accepted when it ends in one of the tab's suffixes, letters compared without
    // regard to case (a camera's PHOTO.JPG is a jpg); no tab but 0, 1 and 2 accepts anything.
    static bool IsAcceptedFile(const std::wstring& path, int tab);
    // "png", "jpg", "jpeg", "bmp", "psd", "heic", "gif", "tiff", "tif" by the path's suffix
    // (without regard to case), else "unknow".
    static std::wstring GetFileTypeWord(const std::wstring& path);
    // The documents folder + "/Pictavo", made (as one folder) when missing.
    static std::wstring GetDefaultOutDir();
    // The one road into a tab: new items and rows for paths that passed IsAcceptedFile.
    void AddFiles(int tab, const std::vector<std::wstring>& paths);
    void OnAddFile(int tab);
    void OnAddFolder(int tab);
    // WM_DROPFILES: the drop is always released; 1 when the conversion page took it, else 0.
    int OnDropFiles(HDROP drop);
    void ClearList(int tab);
    void ModifyOutDir();
    // 0, 1 or 2 by conv_tab's page; 3 while main_tab is not on the conversion page.
    int GetCurrentTab() const;
    // Any tab but 1 and 2 gives the normal tab's list and items.
    CLineListUI* GetTabList(int tab) const;
    std::vector<FileItem*>& GetTabItems(int tab);
    // The tab's output-type option: 0 png, 1 jpg, 2 bmp.
    int GetOutType(int tab);
    // The drag hint shows exactly while the tab's list has no rows.
    void UpdateDragHint(int tab);
    // Window start: config.ini's folder while it exists, else the default for this run
    // (config.ini keeps its value).
    void LoadOutDir();
    // Window start: the window takes dropped files.
    void RegisterDropTarget();
    // m_strOutDir and the three path fields that show it.
    void SetOutDir(const std::wstring& dir);
    // end of file intake

    // Web page panel (MainDlgWeb.cpp)
    // Binds the page's script functions; once, before the first page.
    static void BindScriptFunctions();
    // Shows the panel loading the address.
    void OpenWebPage(const std::wstring& url);
    void OnRefresh();
    bool OnWkeNavigation(wkeWebView webView, int navigationType, wkeString url) override;
    void OnWkeLoadingFinish(wkeWebView webView, wkeString url, int result, wkeString failedReason) override;
    void OnWkeTitleChanged(wkeWebView webView, wkeString title) override;
    void OnWkeURLChanged(wkeWebView webView, wkeString url) override;
    // Whether an address is a page of the login site (the origin of login_url).
    static bool IsLoginSitePage(const std::wstring& url);
    // Opens an http(s) address in the desktop's browser; anything else is ignored.
    static bool OpenInBrowser(const std::wstring& url);
    // end of web page panel

    // Login, account window and first-run report (MainDlgLogin.cpp)
    std::wstring MakeUrl(const std::wstring& base) const;
    void AutoLogin();
    LRESULT OnLoginResult(const std::wstring* text);
    void ShowLoginState(bool loggedIn);
    // The account's avatar and tooltip on the title bar's account button, set afresh.
    void ShowAvatar(DuiLib::CControlUI* center);
    // Downloads the account's avatar (on m_avatarWorker); a stop request ends the transfer.
    static void DownImgProc(const std::wstring& account, const std::wstring& url,
                            const std::stop_token& stop);
    LRESULT OnAvatarReady();
    LRESULT OnLogout();
    void StartInstallerStatistics();
    void ShowMyCenter();
    CMyCenterDlg* GetMyCenterDlg();
    // The avatar file of an account: empty when the name cannot be a file name.
    static std::wstring AvatarPath(const std::wstring& account);
    bool HandleLoginMessage(UINT msg, WPARAM wParam, LRESULT& result);
    bool m_bLogin = false;
    std::wstring m_strAccount;
    CMyCenterDlg* m_pMyCenterDlg = nullptr;
    CWorkerThread m_avatarWorker;
    // end of login

    DUI_DECLARE_MESSAGE_MAP()

    // What the window keeps of one conversion tab. A field every tab has goes here, never
    // in three members of the window.
    struct TabState
    {
        // The tab's rows ("nc_list", ...); row i shows m_vecItems[i].
        CLineListUI* m_pList = nullptr;
        // The tab's items in the order they were added; owned.
        std::vector<FileItem*> m_vecItems;
        // Set by StartConvert, cleared by CancelConvert and the run's last result.
        std::atomic<bool> m_bConverting{false};
        // Wakes the tab's worker (InitWorkThread).
        platform::UniqueHandle m_hEvent;
        // Converts the tab's queue; stopped and joined by the destructor.
        CWorkerThread m_worker;
        // The id the next item takes; never reset.
        int m_nNextId = 1;
        // The output type the tab's options stand for: what a refused change goes back to.
        int m_nOutType = 0;
        DuiLib::CButtonUI* m_pDragBtn = nullptr;
        DuiLib::CButtonUI* m_pStartBtn = nullptr;
        DuiLib::CButtonUI* m_pCancelBtn = nullptr;
        DuiLib::CEditUI* m_pEditPath = nullptr;
    };
    // Any tab but 1 and 2 gives the normal tab's state, as GetTabList and GetTabItems do.
    TabState& Tab(int tab);
    const TabState& Tab(int tab) const;

    // The one output folder of all three tabs; it does not change while a tab converts.
    std::wstring m_strOutDir;
    // Read once in InitWindow for the service addresses.
    std::wstring m_strVersion;
    std::wstring m_strChannel;
    std::wstring m_strMachineId;
    // Indexed by tab (TAB_NORMAL, TAB_HEIC, TAB_COMPRESS), like the workers' own table.
    TabState m_tabs[TAB_COUNT];

    DuiLib::CTabLayoutUI* m_pMainTab = nullptr;
    DuiLib::CTabLayoutUI* m_pConvTab = nullptr;
    // The web page panel (page 1 of main_tab).
    CWkeWebkitUI* m_pWebView = nullptr;
    CAnimImg* m_pLoadingAnim = nullptr;
    DuiLib::CButtonUI* m_pRefreshBtn = nullptr;
    DuiLib::CControlUI* m_pLoadingTxt = nullptr;
    DuiLib::CControlUI* m_pLoadErrorImg = nullptr;
    DuiLib::CControlUI* m_pLoadLayout = nullptr;
    CTrayIcon m_trayIcon;

private:
    // Tray icon (MainDlgTray.cpp)
    void ShowFromTray();
    void PopupTrayMenu();
    void RunTrayCommand(const DuiLib::CDuiString& command);

    // IConvertView, answered with the window's own controls.
    void ShowConvertButtons(int tab, bool converting) override;
    void SortLines(int tab) override;
    void RefreshLine(int tab, int index) override;
    void ShowTips(const std::wstring& text) override;

    void FindControls();
    bool OnTabClick(const DuiLib::CDuiString& name);
    bool OnConvertClick(const DuiLib::CDuiString& name);
    bool OnRowClick(DuiLib::TNotifyUI& msg);
    void OpenSitePage(LPCWSTR path);
    void OnRowOpenFolder(int row);
    void OnRowOpenFile(int row);
    void OnRowSetting(int row);
    void OnRowDelete(int row);
    void OnOutTypeChanged(int tab);
    // Selects the tab's option of an output type without a notification.
    void ShowOutType(int tab, int outType);
    void OnRowOutTypeChanged(DuiLib::TNotifyUI& msg);
    bool GuardOutTypeClick(LPARAM lParam);
    void ShowMainPage(int page);
    // Stops the running ImageMagick commands and gives up the single-instance lock.
    static void LeaveAtOnce();
    // The index in its list of the row that holds control, or -1.
    static int RowIndexOf(DuiLib::CControlUI* control);

    // Workers (MainDlgConvert.cpp)
    void WorkLoop(int tab, const std::stop_token& stop);
    void ConvertQueue(int tab);
    std::unique_ptr<ConvertResultRecord> ConvertOne(int tab, FileItem item, bool last, unsigned run);
    std::wstring MakeOutputPath(const FileItem& item) const;
    LRESULT OnConvertResult(int tab, std::unique_ptr<ConvertResultRecord> record);
    void StopWorkers();
    void CloseWorkEvents();
    void DeleteAllItems();

    IConvertView* m_pConvertView = this;
    // Workers between waking up and going back to sleep: the last one to finish hands the
    // pixel memory back.
    std::atomic<int> m_nBusyWorkers{0};
};
