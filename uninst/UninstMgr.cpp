#include "uninst/UninstMgr.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/PostedRecord.h"
#include "common/base/StringHelper.h"
#include "common/install/CreatedFolders.h"
#include "common/install/FirewallSettings.h"
#include "common/install/InstallManifest.h"
#include "common/install/ProductFiles.h"
#include "common/install/ProductProcesses.h"
#include "common/install/RegSettings.h"
#include "common/install/Shortcut.h"
#include "common/install/SystemHelpers.h"

#include "platform/Firewall.h"
#include "platform/Kernel.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <climits>
#include <cwctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

HWND g_hUninstWnd = nullptr;

namespace
{
constexpr DWORD kPostPauseMs = 300;
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kRegPathBytes = 1024;
constexpr int kNamedRemains = 1;
// The rule an older setup added under a fixed name.
constexpr const wchar_t* kOlderRuleName = L"kelvane_rule";
constexpr const wchar_t* kDriverHardwareId = L"tap0901";

// Every folder between the install folder and the file is a real folder, not a link that
// could lead out of it to the user's files.
bool NoLinkedFolderOn(const std::wstring& installDir, const std::wstring& relative)
{
    for (std::size_t slash = relative.find(L'/'); slash != std::wstring::npos;
         slash = relative.find(L'/', slash + 1))
    {
        struct stat info;
        if (::lstat(WideToAnsi(Join(installDir, relative.substr(0, slash))).c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode))
            return false;
    }
    return true;
}

bool Exists(const std::wstring& path)
{
    struct stat info;
    return !path.empty() && ::lstat(WideToAnsi(path).c_str(), &info) == 0;
}

bool IsLink(const std::wstring& path)
{
    struct stat info;
    return !path.empty() && ::lstat(WideToAnsi(path).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// A folder itself, not a link to one.
bool IsRealFolder(const std::wstring& path)
{
    struct stat info;
    return ::lstat(WideToAnsi(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A crash report the product wrote (a user's file of the same name is not one).
bool IsCrashReport(const std::wstring& path)
{
    static const std::string kHead = "crash report\n";
    const platform::UniqueFd fd(
        ::open(WideToAnsi(path).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return false;
    char head[16] = {};
    const ssize_t got = ::read(fd.get(), head, kHead.size());
    return got == static_cast<ssize_t>(kHead.size()) &&
           kHead.compare(0, kHead.size(), head, kHead.size()) == 0;
}

// "YYYY-MM-DD.log", the main program's daily log.
bool IsDatedLogName(const std::wstring& name)
{
    static const std::wstring kShape = L"0000-00-00.log";
    if (name.size() != kShape.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (kShape[i] == L'0' ? !std::iswdigit(name[i]) : name[i] != kShape[i])
            return false;
    return true;
}

// What the product writes inside the folders it makes: the daily logs in the log folder; the
// package, its version file, unfinished ".temp" downloads, the updater's journal, its staging
// and backup folders and the store's temporary files in the package folder.
bool IsMadeName(const std::wstring& folder, const std::wstring& name, bool isFolder)
{
    if (folder == ProductFiles::kLogFolder)
        return !isFolder && IsDatedLogName(name);
    if (isFolder)
        return name == L"staging" || name == L"backup";
    return name == ProductFiles::kPackageFile || name == ProductFiles::kPackageIniFile ||
           name == L"journal" || name == L"journal.new" || EndsWith(name, L".temp") ||
           name.compare(0, 16, L".update.ini.tmp-") == 0;
}

// Calls made(path, isFolder) for each entry of installDir/folder that the product wrote there.
template <typename Made>
void ForEachMadeEntry(const std::wstring& installDir, const wchar_t* folder, Made made)
{
    const std::wstring path = Join(installDir, folder);
    ForEachDirectoryEntry(path + L"/*", [&](const _wfinddata_t& entry) {
        const std::wstring name = entry.name;
        const bool isFolder = (entry.attrib & _A_SUBDIR) != 0; // never set for a link
        if (name != L"." && name != L".." && IsMadeName(folder, name, isFolder))
            made(Join(path, name), isFolder);
    });
}

bool KeyExists(const wchar_t* key)
{
    return CRegSettings(HKEY_LOCAL_MACHINE, key, false, false).IsOpen();
}

// The files the product makes in its folder while it runs (the setup's manifest is handled apart);
// a crash report's name counts only for a file that is one.
std::vector<std::wstring> ProductMadeFiles()
{
    std::vector<std::wstring> files{ProductFiles::kConfigFile};
    for (const wchar_t* program : {ProductFiles::kMainProgram, ProductFiles::kUpdateProgram,
                                   ProductFiles::kUninstProgram, ProductFiles::kSetupProgram})
        files.push_back(ProductFiles::CrashReportFileName(program));
    return files;
}
constexpr const wchar_t* kProductMadeFolders[] = {ProductFiles::kLogFolder, ProductFiles::kPackageFolder};

bool IsProductMadeFile(const std::wstring& path)
{
    return !EndsWith(path, L".dmp") || IsCrashReport(path);
}
} // namespace

CUninstMgr::~CUninstMgr()
{
    m_worker.Join();
}

std::wstring CUninstMgr::EntryName()
{
    const std::wstring name = GetAppName();
    return IsPlainName(name) ? name : kDefaultAppName;
}

bool CUninstMgr::BeginUnInstallThread()
{
    LOG_INFO(L"CUninstMgr::BeginUnInstallThread", L"%s %s", L"CUninstMgr::BeginUnInstallThread",
             L"创建卸载线程");
    if (m_worker.IsStarted() || m_running.load())
        return false;
    m_running.store(true);
    const bool started = m_worker.Start([this](const std::stop_token&) {
        UninstProcThread(this);
        m_running.store(false);
    });
    if (!started)
    {
        // Nothing was started and nothing will be posted: the window stays where it is.
        m_running.store(false);
        LOG_ERROR(L"CUninstMgr::BeginUnInstallThread", L"%s 创建卸载线程失败 error=%d",
                  L"CUninstMgr::BeginUnInstallThread", errno);
        return false;
    }
    return true;
}

unsigned CUninstMgr::UninstProcThread(void* param)
{
    if (param == nullptr)
    {
        LOG_INFO(L"CUninstMgr::UninstProcThread", L"%s 线程参数有问题 threadid=[%d]",
                 L"CUninstMgr::UninstProcThread", static_cast<int>(GetCurrentThreadId()));
        return 0;
    }
    static_cast<CUninstMgr*>(param)->UnIntallSoftware();
    LOG_INFO(L"CUninstMgr::UninstProcThread", L"%s 卸载完成 线程threadid=[%d]退出",
             L"CUninstMgr::UninstProcThread", static_cast<int>(GetCurrentThreadId()));
    return 0;
}

void CUninstMgr::UnIntallSoftware()
{
    ReadInstallRecord();
    StopPrograms();
    PostProgress({5, 0, L"开始卸载"});
    LOG_INFO(L"CUninstMgr::UnIntallSoftware", L"%s 卸载step=5", L"CUninstMgr::UnIntallSoftware");
    UnInstallDriver();
    DeleteLink();
    RemoveFirewall();
    DeleteRegedit();
    DeleleOtherFile();
    CollectRemaining();
    PostProgress({100, m_remaining.empty() ? 0 : -1, LastRecordText()});
    LOG_INFO(L"CUninstMgr::UnIntallSoftware", L"%s 卸载step=100", L"CUninstMgr::UnIntallSoftware");
}

// Read before the keys go: whether this folder is the registered install, and the name the
// entries and the rule were made with.
void CUninstMgr::ReadInstallRecord()
{
    m_strAppName = EntryName();
    m_ownProgram = RealPath(m_strProgramFile);
    const std::wstring registered = ReadProductRegValue(L"installDir", kRegPathBytes);
    const std::wstring real = RealPath(m_strInstallDir);
    bool owns = !registered.empty() && !real.empty() && RealPath(registered) == real &&
                PathExists(Join(real, ProductFiles::kMainProgram), 0) == 0;
    if (owns && (IsLink(registered) || IsLink(m_strInstallDir)))
    {
        // The install folder is a link: what lies behind it may be anyone's folder (a home).
        owns = false;
        m_linkedInstallDir = registered;
        LOG_INFO(L"CUninstMgr::ReadInstallRecord", L"[%s] is a link, no file removed", registered.c_str());
    }
    if (owns)
    {
        m_strInstallDir = real;
        if (!m_manifest.Load(m_strInstallDir))
            UseReleaseLayout();
        for (const std::wstring& folder : ReadCreatedFolders(registered))
            if (folder != registered)
                m_createdAbove.push_back(folder);
        m_madeOutputFolder = ReadProductRegValue(kMadeOutputFolderValue, kRegPathBytes);
    }
    m_ownsInstallDir.store(owns);
    LOG_INFO(L"CUninstMgr::ReadInstallRecord", L"installDir=[%s] registered=[%s] owns=%d created=[%s]",
             m_strInstallDir.c_str(), registered.c_str(), owns ? 1 : 0,
             ReadProductRegValue(kCreatedFolderValue, 16).c_str());
}

// Without a readable list the product's files are still known by name: the release layout's.
void CUninstMgr::UseReleaseLayout()
{
    m_manifestDamaged = Exists(CInstallManifest::PathIn(m_strInstallDir));
    LOG_INFO(L"CUninstMgr::ReadInstallRecord", L"install.manifest %s; removing the product's files by name",
             m_manifestDamaged ? L"cannot be read" : L"is missing");
    for (const wchar_t* folder : ProductFiles::kReleaseFolders)
        m_manifest.AddFolder(folder);
    for (const wchar_t* file : ProductFiles::kReleaseFiles)
        m_manifest.AddFile(file);
}

// Only the product's own programs: those that run from this folder, and the updater's
// temporary copy.
void CUninstMgr::StopPrograms()
{
    if (!OwnsInstallDir())
        return;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::vector<std::wstring> folders{m_strInstallDir,
                                            std::wstring(temp) + ProductFiles::kUpdaterTempFolder};
    for (const wchar_t* program : {ProductFiles::kMainProgram, ProductFiles::kUpdateProgram})
    {
        const StopProgramsResult result = StopProgramsIn(program, folders, kStopWaitMs);
        if (!result.allEnded)
            LOG_INFO(L"CUninstMgr::UnIntallSoftware", L"%s did not end in time", program);
        m_stoppedIds.insert(m_stoppedIds.end(), result.ids.begin(), result.ids.end());
    }
}

bool CUninstMgr::UnInstallDriver()
{
    LOG_INFO(L"CUninstMgr::UnInstallDriver", L"%s 卸载驱动 step=%d", L"CUninstMgr::UnInstallDriver", 30);
    PostProgress({30, 0, L"卸载驱动"});
    const int code = GetOSVersionCode();
    const bool older = code < 4;
    std::wstring folder = code >= 12 ? L"/driver/win10" : (older ? L"/driver/xp" : L"/driver/win7");
    folder += IsWow64() ? L"/x64" : L"/x86";
    const std::wstring tool = m_strInstallDir + folder + L"/" + ProductFiles::DriverToolFileName(older);
    const std::wstring command = L"\"" + tool + L"\" remove " + kDriverHardwareId;
    // The driver tools exist only for Windows: nothing is started, as when a tool is missing.
    const int exitCode = -1;
    LOG_INFO(L"CUninstMgr::UnInstallDriver", L"%s 卸载驱动 cmd=[%s] dwExitCode=[%d]",
             L"CUninstMgr::UnInstallDriver", command.c_str(), exitCode);
    return true;
}

bool CUninstMgr::DeleteLink()
{
    LOG_INFO(L"CUninstMgr::DeleteLink", L"%s 删除快捷方式、启动栏和开始菜单 step=%d",
             L"CUninstMgr::DeleteLink", 60);
    PostProgress({60, 0, L"删除快捷方式"});
    for (const std::wstring& entry :
         {ShortcutPath(m_strAppName, CSIDL_DESKTOP), ShortcutPath(m_strAppName, CSIDL_COMMON_STARTMENU),
          UninstallShortcutPath(m_strAppName)})
        if (Exists(entry))
            RemoveFile(entry);
    // The menu folder goes only when the entries were all it held.
    const std::wstring menu = MenuFolder(m_strAppName);
    if (!menu.empty() && IsDirectory(menu))
        RemoveDirectoryW(menu.c_str());
    return true;
}

bool CUninstMgr::RemoveFirewall()
{
    LOG_INFO(L"CUninstMgr::RemoveFirewall", L"%s 移除防火墙 step=%d", L"CUninstMgr::RemoveFirewall", 70);
    PostProgress({70, 0, L"移除防火墙"});
    CFirewallSettings firewall;
    firewall.RemoveRule(m_strAppName.c_str());
    firewall.RemoveRule(kOlderRuleName);
    return true;
}

bool CUninstMgr::DeleteRegedit()
{
    LOG_INFO(L"CUninstMgr::DeleteRegedit", L"%s 删除注册表信息 step=%d", L"CUninstMgr::DeleteRegedit", 80);
    PostProgress({80, 0, L"删除注册表信息"});
    CRegSettings software(HKEY_LOCAL_MACHINE, kSoftwareKey, false, false);
    software.RecurseDeleteKey(software.GetKey(), kProductKeyName);
    CRegSettings uninstall(HKEY_LOCAL_MACHINE, kUninstallParentKey, false, false);
    uninstall.RecurseDeleteKey(uninstall.GetKey(), kProductKeyName);
    return true;
}

bool CUninstMgr::DeleleOtherFile()
{
    LOG_INFO(L"CUninstMgr::DeleleOtherFile", L"%s 删除文件step=%d", L"CUninstMgr::DeleleOtherFile", 90);
    PostProgress({90, 0, L"删除文件"});
    if (!OwnsInstallDir())
    {
        // A copy of the uninstaller, or a folder that is not the registered install: the files
        // around it may be anyone's.
        LOG_INFO(L"CUninstMgr::DeleleOtherFile", L"[%s] is not the registered install, no file removed",
                 m_strInstallDir.c_str());
        return true;
    }
    for (const std::wstring& file : m_manifest.Files())
        RemoveOwnedFile(file);
    for (const wchar_t* folder : kProductMadeFolders)
        RemoveInMadeFolder(folder);
    for (const std::wstring& file : ProductMadeFiles())
        if (IsProductMadeFile(Join(m_strInstallDir, file)))
            RemoveOwnedFile(file);
    // Folders the setup made go when they are empty now: a user's file in one keeps it.
    for (auto folder = m_manifest.Folders().rbegin(); folder != m_manifest.Folders().rend(); ++folder)
        if (NoLinkedFolderOn(m_strInstallDir, *folder))
            RemoveDirectoryW(Join(m_strInstallDir, *folder).c_str());
    RemoveWhatProgramsMade();
    return true;
}

// Only what the product wrote there, then the folder when that leaves it empty; a folder that
// is a link is kept whole (its target is not the product's).
void CUninstMgr::RemoveInMadeFolder(const wchar_t* folder)
{
    const std::wstring path = Join(m_strInstallDir, folder);
    if (IsLink(path))
    {
        LOG_INFO(L"CUninstMgr::DeleleOtherFile", L"[%s] is a link, kept", path.c_str());
        return;
    }
    if (!IsRealFolder(path))
        return;
    ForEachMadeEntry(m_strInstallDir, folder, [](const std::wstring& entry, bool isFolder) {
        if (isFolder)
            DeleteDirectoryTree(entry);
        else
            RemoveFile(entry);
    });
    RemoveDirectoryW(path.c_str());
}

void CUninstMgr::RemoveWhatProgramsMade()
{
    const std::string runtime = platform::RuntimeDir();
    const std::wstring windows = runtime.empty() ? std::wstring() : AnsiToWide(runtime) + L"/windows";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    for (const DWORD id : m_stoppedIds)
    {
        // A stopped program never withdrew its entries: its window list and its socket.
        const std::wstring prefix = std::to_wstring(id) + L".";
        if (!windows.empty())
            ForEachDirectoryEntry(windows + L"/*", [&](const _wfinddata_t& entry) {
                const std::wstring name = entry.name;
                if ((entry.attrib & _A_SUBDIR) == 0 && name.compare(0, prefix.size(), prefix) == 0)
                    RemoveFile(Join(windows, name));
            });
        if (temp[0] != L'\0')
            DeleteDirectoryTree(std::wstring(temp) + ProductFiles::kMagickTempFolderPrefix +
                                std::to_wstring(id));
    }
    // Only the product's own default folder, and only while the user has nothing in it (rmdir
    // refuses anything else, a link in its place too).
    if (!m_madeOutputFolder.empty() && m_madeOutputFolder.front() == L'/' &&
        EndsWith(m_madeOutputFolder, std::wstring(L"/") + kDefaultAppName))
        RemoveDirectoryW(m_madeOutputFolder.c_str());
}

void CUninstMgr::RemoveOwnedFile(const std::wstring& relative)
{
    const std::wstring path = Join(m_strInstallDir, relative);
    // The running uninstaller is removed by its script once the process has ended.
    if (!Exists(path) || (!m_ownProgram.empty() && RealPath(path) == m_ownProgram))
        return;
    if (!NoLinkedFolderOn(m_strInstallDir, relative))
    {
        LOG_INFO(L"CUninstMgr::DeleleOtherFile", L"[%s] lies behind a link, kept", path.c_str());
        return;
    }
    if (RemoveFile(path) != 0 && IsDirectory(path))
        LOG_INFO(L"CUninstMgr::DeleleOtherFile", L"[%s] is a folder now, kept", path.c_str());
}

std::vector<std::wstring> CUninstMgr::FoldersToRemove() const
{
    if (!OwnsInstallDir())
        return {};
    std::vector<std::wstring> folders{m_strInstallDir};
    folders.insert(folders.end(), m_createdAbove.rbegin(), m_createdAbove.rend());
    return folders;
}

void CUninstMgr::CollectRemaining()
{
    m_remaining.clear();
    for (const wchar_t* key : {kProductRegKey, kUninstallRegKey})
        if (KeyExists(key))
            m_remaining.push_back(std::wstring(L"HKEY_LOCAL_MACHINE\\") + key);
    for (const std::wstring& entry :
         {ShortcutPath(m_strAppName, CSIDL_DESKTOP), ShortcutPath(m_strAppName, CSIDL_COMMON_STARTMENU),
          UninstallShortcutPath(m_strAppName)})
        if (Exists(entry))
            m_remaining.push_back(entry);
    for (const std::wstring& rule : {m_strAppName, std::wstring(kOlderRuleName)})
        if (platform::FirewallStore::Find(rule, nullptr))
            m_remaining.push_back(rule);
    if (!m_linkedInstallDir.empty())
        m_remaining.push_back(m_linkedInstallDir);
    if (OwnsInstallDir())
        CollectRemainingFiles();
    for (const std::wstring& item : m_remaining)
        LOG_INFO(L"CUninstMgr::UnIntallSoftware", L"not removed: [%s]", item.c_str());
}

// The manifest stays as long as a file it names does, so that a later run can finish.
void CUninstMgr::CollectRemainingFiles()
{
    std::vector<std::wstring> files = m_manifest.Files();
    for (const std::wstring& file : ProductMadeFiles())
        if (IsProductMadeFile(Join(m_strInstallDir, file)))
            files.push_back(file);
    const std::size_t before = m_remaining.size();
    for (const std::wstring& file : files)
    {
        const std::wstring path = Join(m_strInstallDir, file);
        if (Exists(path) && RealPath(path) != m_ownProgram)
            m_remaining.push_back(path);
    }
    for (const wchar_t* folder : kProductMadeFolders)
        if (!IsLink(Join(m_strInstallDir, folder)))
            ForEachMadeEntry(m_strInstallDir, folder,
                             [this](const std::wstring& entry, bool) { m_remaining.push_back(entry); });
    // A list that could not be read stays for a person to look at, and the uninstaller with it:
    // what else the product put there is unknown.
    if (m_remaining.size() == before && !m_manifestDamaged)
        RemoveOwnedFile(ProductFiles::kManifestFile);
    else
        m_remaining.push_back(CInstallManifest::PathIn(m_strInstallDir));
}

std::wstring CUninstMgr::LastRecordText() const
{
    if (m_remaining.empty())
        return L"卸载完成";
    if (!m_linkedInstallDir.empty())
        return L"卸载未完成，安装目录是链接，未删除其中的文件：" + m_linkedInstallDir;
    std::wstring text = L"卸载未完成，未能删除 " + m_remaining.front();
    if (m_remaining.size() > kNamedRemains)
        text += L" 等 " + std::to_wstring(m_remaining.size()) + L" 项";
    return text;
}

void CUninstMgr::PostProgress(const UninstallProgressRecord& record)
{
    if (g_hUninstWnd == nullptr)
        return;
    Sleep(kPostPauseMs);
    PostRecord(g_hUninstWnd, WM_UNINSTALL_PROGRESS, std::make_unique<UninstallProgressRecord>(record));
}
