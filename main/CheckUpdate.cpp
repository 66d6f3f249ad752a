#include "main/CheckUpdate.h"

#include "common/base/FreshPrivateFolder.h"
#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/ProcessHelper.h"
#include "common/base/StringHelper.h"
#include "common/http/ClusterCurl.h"
#include "common/http/HttpMgr.h"
#include "common/install/ProductFiles.h"
#include "common/install/ProductProcesses.h"
#include "common/install/UpdateJournal.h"
#include "main/ConfigIni.h"

#include "platform/MessageBox.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace
{
constexpr std::uint64_t kReadyPackageBytes = 100;
constexpr DWORD kStopWaitMs = 5000;

} // namespace

bool IsUpdatePackReady(const std::wstring& exeDir)
{
    const std::wstring folder = exeDir + L"/" + ProductFiles::kPackageFolder;
    const std::wstring package = folder + L"/" + ProductFiles::kPackageFile;
    if (PathExists(folder, 0) != 0 || PathExists(package, 0) != 0)
        return false;
    if (GetFileSize64(package) >= kReadyPackageBytes)
        return true;
    RemoveFile(package);
    return false;
}

CCheckUpdate::CCheckUpdate() : m_strExeDir(GetModuleDir()) {}

std::wstring CCheckUpdate::PackageDir() const
{
    return m_strExeDir + L"/" + ProductFiles::kPackageFolder;
}

std::wstring CCheckUpdate::UpdaterTempFolder()
{
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(temp) + ProductFiles::kUpdaterTempFolder;
}

// Only the product's own updaters: those run from the install folder or from its temporary copy,
// and never one that is applying a package (false then: its files must be left alone).
bool CCheckUpdate::StopUpdater() const
{
    if (IsUpdateApplying())
        return false;
    return StopProgramsIn(ProductFiles::kUpdateProgram, {m_strExeDir, UpdaterTempFolder()}, kStopWaitMs)
        .allEnded;
}

bool CCheckUpdate::CheckNeedUpdate(const std::wstring& serverVersion)
{
    const std::wstring installed = CConfigIni::GetVersionStr();
    const bool newer = CompareVersion(installed, serverVersion) > 0;
    LOG_INFO(L"CCheckUpdate::CheckNeedUpdate", L"%s strNowMajor=[%s] strNewMajor=[%s] bRet=[%d]",
             L"CCheckUpdate::CheckNeedUpdate", installed.c_str(), serverVersion.c_str(), newer ? 1 : 0);
    return newer;
}

bool CCheckUpdate::StartUpdateThread()
{
    LOG_INFO(L"CCheckUpdate::StartUpdateThread", L"start update ...");
    const bool started = m_updateWorker.Start([this](const std::stop_token&) {
        m_bHandedOver = UpateFunc() && StartUpdateExe();
        LOG_INFO(L"CCheckUpdate::UpdateThreadProc", L"%s 检测版本完成 线程threadid=[%d]退出",
                 L"CCheckUpdate::UpdateThreadProc", static_cast<int>(GetCurrentThreadId()));
    });
    if (!started)
    {
        LOG_ERROR(L"CCheckUpdate::StartUpdateThread", L"%s %s errorCode=[%d]",
                  L"CCheckUpdate::StartUpdateThread", L"创建检测升级线程失败",
                  static_cast<int>(GetLastError()));
        return false;
    }
    m_updateWorker.Join();
    return m_bHandedOver;
}

bool CCheckUpdate::UpateFunc()
{
    if (!StopUpdater())
        return false;
    const std::wstring folder = UpdaterTempFolder();
    if (folder.empty())
        return false;
    // Made afresh and checked ours: the temporary path may be a folder that others share.
    DeleteDirectoryTree(folder);
    if (!CreatePrivateFolder(folder))
    {
        LOG_ERROR(L"CCheckUpdate::UpateFunc", L"%s 临时目录创建失败 szTempDir=[%s]",
                  L"CCheckUpdate::UpateFunc", folder.c_str());
        return false;
    }
    for (const wchar_t* name : ProductFiles::kUpdaterCopyFiles)
    {
        const std::wstring source = m_strExeDir + L"/" + name;
        const std::wstring target = folder + L"/" + name;
        const BOOL copied = CopyFileW(source.c_str(), target.c_str(), FALSE);
        LOG_INFO(L"CCheckUpdate::UpateFunc", L"%s 拷贝依赖szSourceFile=[%s], szDestFile=[%s] bRet=%d",
                 L"CCheckUpdate::UpateFunc", source.c_str(), target.c_str(), copied);
        if (!copied)
            return false;
    }
    return true;
}

bool CCheckUpdate::StartUpdateExe()
{
    const std::wstring updater = UpdaterTempFolder() + L"/" + ProductFiles::kUpdateProgram;
    std::wstring command = platform::BuildCommandLine({updater, m_strExeDir});
    LOG_INFO(L"CCheckUpdate::StartUpdateExe", L"%s 启动升级 szCmd=[%s]", L"CCheckUpdate::StartUpdateExe",
             command.c_str());
    // Named apart from the command line, which cannot carry a double quote in its first word.
    return StartProcess(updater.c_str(), command.data(), false);
}

void CCheckUpdate::StartCheckDownUpdatePackThread()
{
    LOG_INFO(L"CCheckUpdate::StartCheckDownUpdatePackThread", L"start CheckDownUpdatePack ...");
    if (!m_downPackWorker.Start([this](const std::stop_token& stop) { DownPackThreadProc(stop); }))
    {
        LOG_ERROR(L"CCheckUpdate::StartCheckDownUpdatePackThread", L"%s %s errorCode=[%d]",
                  L"CCheckUpdate::StartCheckDownUpdatePackThread", L"创建检测升级线程失败",
                  static_cast<int>(GetLastError()));
    }
}

void CCheckUpdate::DownPackThreadProc(const std::stop_token& stop)
{
    if (!CheckDownUpdatePack(stop))
        DeleteDirectoryTree(PackageDir());
}

bool CCheckUpdate::CheckDownUpdatePack(const std::stop_token& stop)
{
    std::wstring version;
    std::wstring packUrl;
    CHttpMgr::RequestVersion(
        WideToAnsi(CConfigIni(m_strExeDir + L"/" + ProductFiles::kConfigFile).GetVersionUrl()), &version,
        &packUrl, stop);
    if (!CheckNeedUpdate(version))
        return false;
    if (packUrl.empty())
    {
        LOG_ERROR(L"CCheckUpdate::CheckDownUpdatePack", L"strDownZipUrl=%s", packUrl.c_str());
        return false;
    }
    // An updater applying a package owns the package folder until it is done.
    if (!StopUpdater())
    {
        LOG_INFO(L"CCheckUpdate::CheckDownUpdatePack", L"an update is being applied; no download");
        return true;
    }
    const std::wstring folder = PackageDir();
    DeleteDirectoryTree(folder);
    if (PathExists(folder, 0) != 0)
        MakeDir(folder);
    ClusterCurl curl;
    curl.SetTimeOut(30, 3600);
    curl.SetMaxSize(kMaxPackageBytes);
    curl.SetStopToken(stop);
    const CurlResult result =
        curl.downloadFile(WideToAnsi(packUrl), WideToAnsi(folder), WideToAnsi(ProductFiles::kPackageFile));
    if (result.code != 200)
    {
        // The code carries the HTTP status (libcurl's text is "No error" for a 404).
        LOG_ERROR(L"CCheckUpdate::CheckDownUpdatePack", L"DownLoadFile url=%s code=%d error=%s",
                  packUrl.c_str(), result.code, AnsiToWide(result.message).c_str());
        return false;
    }
    const std::wstring ini = folder + L"/" + ProductFiles::kPackageIniFile;
    WritePrivateProfileStringW(L"CONFIG", L"version_str", version.c_str(), ini.c_str());
    LOG_INFO(L"CCheckUpdate::CheckDownUpdatePack",
             L"%s 版本写入ini文件 szUpdateIniFile=[%s], versionStr=[%s]",
             L"CCheckUpdate::CheckDownUpdatePack", ini.c_str(), version.c_str());
    return true;
}

bool CCheckUpdate::EndThreads(DWORD waitMs)
{
    m_downPackWorker.RequestStop();
    return m_downPackWorker.JoinFor(std::chrono::milliseconds(waitMs));
}

bool RunUpdateHandOver(CCheckUpdate* check, const std::wstring& exeDir, bool checkUpdate, bool* startCheck)
{
    *startCheck = checkUpdate;
    // An updater at work owns the install folder: its journal is no cut-off update, and its
    // package is not to be removed or handed over again.
    if (IsUpdateApplying())
    {
        LOG_INFO(L"WinMain", L"an update is being applied; no hand-over");
        return IsUpdatePackReady(exeDir);
    }
    const CUpdateJournal::Outcome outcome = CUpdateJournal(exeDir).RecoverAndLog(L"WinMain");
    const std::wstring packageDir = exeDir + L"/" + ProductFiles::kPackageFolder;
    // The start after an update never hands over again: a package left there would else loop.
    if (!checkUpdate || outcome == CUpdateJournal::Outcome::RolledForward)
    {
        if (PathExists(packageDir, 0) == 0)
        {
            DeleteDirectoryTree(packageDir);
            LOG_INFO(L"WinMain", L"leftover update package removed: %s", packageDir.c_str());
        }
        return false;
    }
    if (!IsUpdatePackReady(exeDir))
        return false;
    if (check->StartUpdateThread())
        return true;
    LOG_ERROR(L"WinMain", L"update hand-over failed; starting normally");
    *startCheck = false;
    return false;
}
