#include "setup/InstallMgr.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/PostedRecord.h"
#include "common/base/StringHelper.h"
#include "common/install/CreatedFolders.h"
#include "common/install/FirewallSettings.h"
#include "common/install/ProductFiles.h"
#include "common/install/ProductProcesses.h"
#include "common/install/RegSettings.h"
#include "common/install/Shortcut.h"
#include "common/install/SystemHelpers.h"
#include "setup/InstallIni.h"
#include "setup/MD5.h"

#include "platform/Shell.h"

#include <cerrno>
#include <optional>
#include <system_error>
#include <vector>

HWND g_hSetupWnd = nullptr;
std::wstring g_strMachineId;
int g_nCopiedFiles = 0;

namespace
{
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kAfterStopPauseMs = 3000;
constexpr DWORD kRegReadBytes = 260 * 2;

// The keys of config.ini that belong to the user, not to the payload.
struct UserKey
{
    const wchar_t* section;
    const wchar_t* key;
};
constexpr UserKey kUserKeys[] = {{L"CONFIG", L"out_dir"},
                                 {L"CONFIG", L"LogLevel"},
                                 {L"Config", L"key"},
                                 {L"Config", L"install_stattistics"}};

std::vector<std::optional<std::wstring>> ReadUserKeys(const std::wstring& ini)
{
    std::vector<std::optional<std::wstring>> values;
    for (const UserKey& entry : kUserKeys)
    {
        // A value that is not there reads as the marker, which no value of the user holds.
        static const wchar_t* const kMissing = L"\x01missing";
        std::vector<wchar_t> buffer(4096, L'\0');
        GetPrivateProfileStringW(entry.section, entry.key, kMissing, buffer.data(), 4096, ini.c_str());
        const std::wstring value = buffer.data();
        values.push_back(value == kMissing ? std::nullopt : std::optional<std::wstring>(value));
    }
    return values;
}

void RestoreUserKeys(const std::wstring& ini, const std::vector<std::optional<std::wstring>>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i])
            WritePrivateProfileStringW(kUserKeys[i].section, kUserKeys[i].key, values[i]->c_str(),
                                       ini.c_str());
}
} // namespace

CInstallMgr::~CInstallMgr()
{
    m_stop.store(true);
    m_worker.Join();
}

void CInstallMgr::SetInstallDir(const std::wstring& dir)
{
    m_installDir = dir;
}

void CInstallMgr::SetShortcutOptions(bool desktop, bool quickLaunch)
{
    m_desktop = desktop;
    m_quickLaunch = quickLaunch;
}

void CInstallMgr::SetCreatedFolders(const std::vector<std::wstring>& folders)
{
    m_createdFolders = folders;
}

bool CInstallMgr::BeginInstallThread()
{
    LOG_INFO(L"CInstallMgr::BeginInstallThread", L"%s %s", L"CInstallMgr::BeginInstallThread",
             L"创建安装线程");
    if (m_worker.IsStarted() || m_running.load())
        return false;
    m_running.store(true);
    const bool started = m_worker.Start([this](const std::stop_token&) {
        InstallProc(this);
        m_running.store(false);
    });
    if (!started)
    {
        // Nothing was started and nothing will be posted: the window stays where it is.
        m_running.store(false);
        LOG_ERROR(L"CInstallMgr::BeginInstallThread", L"%s 创建安装线程失败 error=%d",
                  L"CInstallMgr::BeginInstallThread", errno);
        return false;
    }
    return true;
}

unsigned CInstallMgr::InstallProc(void* param)
{
    if (param == nullptr)
    {
        LOG_ERROR(L"CInstallMgr::InstallProc", L"%s 线程参数有问题 threadid=[%d]",
                  L"CInstallMgr::InstallProc", static_cast<int>(GetCurrentThreadId()));
        return 0;
    }
    static_cast<CInstallMgr*>(param)->IntallSoftware();
    LOG_INFO(L"CInstallMgr::InstallProc", L"%s 安装完成 线程threadid=[%d]退出", L"CInstallMgr::InstallProc",
             static_cast<int>(GetCurrentThreadId()));
    return 0;
}

void CInstallMgr::IntallSoftware()
{
    PostProgress({5, 0, L""});
    LOG_INFO(L"CInstallMgr::IntallSoftware", L"%s 安装step=5", L"CInstallMgr::IntallSoftware");
    StopRunningPrograms();
    if (!CopyInstallFile(20))
        return;
    WriteMachineInfo(20);
    if (!CopyDependFile(30))
        return;
    AfterInstall(90);
}

void CInstallMgr::StopRunningPrograms()
{
    std::vector<std::wstring> folders{m_installDir};
    const std::wstring registered = ReadProductRegValue(L"installDir", kRegReadBytes);
    if (!registered.empty())
        folders.push_back(registered);
    int stopped = 0;
    for (const wchar_t* program :
         {ProductFiles::kMainProgram, ProductFiles::kUninstProgram, ProductFiles::kUpdateProgram})
    {
        const StopProgramsResult result = StopProgramsIn(program, folders, kStopWaitMs);
        stopped += result.stopped;
        if (!result.allEnded)
            LOG_ERROR(L"CInstallMgr::StopRunningPrograms", L"%s did not end in time", program);
    }
    if (stopped > 0)
    {
        LOG_INFO(L"CInstallMgr::StopRunningPrograms", L"stopped %d running programs, pausing", stopped);
        Sleep(kAfterStopPauseMs);
    }
}

bool CInstallMgr::CopyInstallFile(int percent)
{
    LOG_INFO(L"CInstallMgr::CopyInstallFile", L"%s 安装step=%d", L"CInstallMgr::CopyInstallFile", percent);
    m_manifest.Load(m_installDir);
    const std::wstring ini = Join(m_installDir, ProductFiles::kConfigFile);
    const auto userKeys = ReadUserKeys(ini);
    bool copied = IsDirectory(m_installDir) && CoverFile(m_installDir, BesideSetup(kPayloadFolder), L"");
    RestoreUserKeys(ini, userKeys);
    // Saved also after a failure, so the uninstaller finds what a broken copy left.
    if (!m_manifest.Save(m_installDir))
    {
        LOG_ERROR(L"CInstallMgr::CopyInstallFile", L"manifest not written in [%s]", m_installDir.c_str());
        copied = false;
    }
    PostProgress({percent, copied ? 0 : -1, copied ? L"拷贝文件完成" : L"拷贝文件失败"});
    return copied;
}

bool CInstallMgr::CoverFile(const std::wstring& destDir, const std::wstring& srcDir,
                            const std::wstring& relative)
{
    bool ok = true;
    const bool searched = ForEachDirectoryEntry(Join(srcDir, L"*"), [&](const _wfinddata_t& entry) {
        const std::wstring name = entry.name;
        if (!ok || name == L"." || name == L"..")
            return;
        const std::wstring inside = relative.empty() ? name : Join(relative, name);
        const std::wstring source = Join(srcDir, name);
        const std::wstring dest = Join(destDir, name);
        if ((entry.attrib & _A_SUBDIR) != 0)
        {
            if (!IsDirectory(dest))
            {
                if (_wmkdir(dest.c_str()) != 0)
                {
                    ok = false;
                    return;
                }
                m_manifest.AddFolder(inside);
            }
            ok = CoverFile(dest, source, inside);
            return;
        }
        if (name.find(ProductFiles::kSetupProgram) != std::wstring::npos)
            return;
        // Closing the window stops the copy here, between two files.
        if (m_stop.load() || !CInstallManifest::IsSafeRelativePath(inside))
        {
            ok = false;
            return;
        }
        const BOOL result = CopyFileW(source.c_str(), dest.c_str(), FALSE);
        LOG_INFO(L"CInstallMgr::CoverFile", L"正在拷贝文件[%d] from=[%s] to=[%s] bRet=[%d]", g_nCopiedFiles,
                 source.c_str(), dest.c_str(), result);
        if (!result)
        {
            ok = false;
            return;
        }
        m_manifest.AddFile(inside);
        ++g_nCopiedFiles;
    });
    return searched && ok;
}

bool CInstallMgr::WriteMachineInfo(int percent)
{
    LOG_INFO(L"CInstallMgr::WriteMachineInfo", L"%s 安装step=%d", L"CInstallMgr::WriteMachineInfo", percent);
    LOG_INFO(L"CInstallMgr::WriteMachineInfo", L"%s current system version=%s",
             L"CInstallMgr::WriteMachineInfo", GetOSNameW().c_str());
    std::string text;
    if (!GetMacAddress(&text))
        text = WideToAnsi(NewGuidString());
    g_strMachineId = AnsiToWide(MD5(text).HexDigest(true));
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true)
        .SetValue(L"MachineId", g_strMachineId.c_str());
    if (!IsDirectory(m_installDir))
        _wmkdir(m_installDir.c_str());
    WritePrivateProfileStringW(L"MACHINE", L"MachineId", g_strMachineId.c_str(),
                               Join(m_installDir, ProductFiles::kConfigFile).c_str());
    PostProgress({percent, 0, L"机器码生成完成"});
    return true;
}

bool CInstallMgr::CopyDependFile(int percent)
{
    LOG_INFO(L"CInstallMgr::CopyDependFile", L"%s 安装step=%d", L"CInstallMgr::CopyDependFile", percent);
    for (const wchar_t* library : ProductFiles::kSetupLibraryFiles)
    {
        const std::wstring source = BesideSetup(library);
        const std::wstring dest = Join(m_installDir, library);
        const BOOL result = CopyFileW(source.c_str(), dest.c_str(), FALSE);
        LOG_INFO(L"CInstallMgr::CopyDependFile", L"%s 拷贝依赖szSourceFile=[%s], szDestFile=[%s] bRet=%d",
                 L"CInstallMgr::CopyDependFile", source.c_str(), dest.c_str(), result);
        if (!result || !m_manifest.AddFile(library) || !m_manifest.Save(m_installDir))
        {
            PostProgress({percent, -1, L"拷贝依赖文件失败"});
            return false;
        }
    }
    PostProgress({percent, 0, L"拷贝依赖文件完成"});
    return true;
}

bool CInstallMgr::AfterInstall(int percent)
{
    LOG_INFO(L"CInstallMgr::AfterInstall", L"%s 安装step=%d", L"CInstallMgr::AfterInstall", percent);
    PostProgress({percent, 0, L"安装完成初始化"});
    const std::wstring version = ReadInstallVersion();
    const std::wstring channel = ReadInstallChannel();
    const std::wstring appName = ReadInstallAppName();
    WriteRegistryValues(version, channel, appName);

    const std::wstring target = Join(m_installDir, ProductFiles::kMainProgram);
    CFirewallSettings firewall;
    firewall.RemoveRule(appName.c_str());
    const bool added = firewall.AddRule(target.c_str(), appName.c_str(), target.c_str());
    LOG_INFO(L"CInstallMgr::AfterInstall", L"%s add firewall ret=%d", appName.c_str(), added ? 1 : 0);

    CreateShortcuts(appName);
    PostProgress({100, 0, L"安装完成"});
    return true;
}

void CInstallMgr::WriteRegistryValues(const std::wstring& version, const std::wstring& channel,
                                      const std::wstring& appName)
{
    CRegSettings product(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    product.SetValue(L"version_str", version.c_str());
    product.SetValue(L"channel", channel.c_str());
    product.SetValue(L"installDir", m_installDir.c_str());
    product.SetValue(L"appname", appName.c_str());
    const bool createdInstallDir = !m_createdFolders.empty() && m_createdFolders.back() == m_installDir;
    product.SetValue(kCreatedFolderValue, createdInstallDir ? L"1" : L"0");
    if (!RecordCreatedFolders(m_createdFolders))
        LOG_ERROR(L"CInstallMgr::AfterInstall", L"the created folders were not recorded");

    CRegSettings uninstall(HKEY_LOCAL_MACHINE, kUninstallRegKey, false, true);
    uninstall.SetValue(L"DisplayIcon", Join(m_installDir, ProductFiles::kIconFile).c_str());
    uninstall.SetValue(L"DisplayName", appName.c_str());
    uninstall.SetValue(L"DisplayVersion", version.c_str());
    uninstall.SetValue(L"Publisher", GetPublisherName().c_str());
    uninstall.SetValue(L"UninstallString", Join(m_installDir, ProductFiles::kUninstProgram).c_str());
    uninstall.SetValue(L"URLInfoAbout", GetPublisherUrl().c_str());
}

void CInstallMgr::CreateShortcuts(const std::wstring& appName)
{
    ShortcutInfo info;
    const std::wstring name = m_shortcutName.empty() ? appName : m_shortcutName;
    const std::wstring target = Join(m_installDir, ProductFiles::kMainProgram);
    const std::wstring uninstall = Join(m_installDir, ProductFiles::kUninstProgram);
    const std::wstring icon = Join(m_installDir, ProductFiles::kIconFile);
    // A path too long for the record is left out rather than cut to another path.
    auto fill = [](wchar_t(&field)[MAX_PATH], const std::wstring& text) {
        if (text.size() < MAX_PATH)
            text.copy(field, text.size());
    };
    fill(info.name, name);
    fill(info.target, target);
    fill(info.uninstallTarget, uninstall);
    fill(info.workingFolder, m_installDir);
    fill(info.iconPath, icon);
    if (m_desktop)
        LOG_INFO(L"CInstallMgr::AfterInstall", L"%s 创建桌面快捷方式 bRet=[%d]", L"CInstallMgr::AfterInstall",
                 CreateShortcut(info, CSIDL_DESKTOP) ? 1 : 0);
    if (m_quickLaunch)
        LOG_INFO(L"CInstallMgr::AfterInstall", L"%s 创建快速启动栏 bRet=[%d]", L"CInstallMgr::AfterInstall",
                 CreateShortcut(info, CSIDL_APPDATA) ? 1 : 0);
    LOG_INFO(L"CInstallMgr::AfterInstall", L"%s 创建开始菜单 bRet=[%d]", L"CInstallMgr::AfterInstall",
             CreateShortcut(info, CSIDL_COMMON_STARTMENU) ? 1 : 0);
}

void CInstallMgr::PostProgress(const InstallProgressRecord& rec)
{
    if (g_hSetupWnd == nullptr)
        return;
    PostRecord(g_hSetupWnd, WM_INSTALL_PROGRESS, std::make_unique<InstallProgressRecord>(rec));
}
