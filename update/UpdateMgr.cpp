#include "update/UpdateMgr.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/PostedRecord.h"
#include "common/install/ProductFiles.h"
#include "common/install/ProductProcesses.h"
#include "common/install/UpdateJournal.h"
#include "update/PackageApplier.h"

#include <chrono>
#include <cstdlib>
#include <thread>

std::wstring m_strMainExePath;
std::atomic<HWND> g_hUpdateWnd{nullptr};
std::atomic<bool> g_bUpdateStop{false};

namespace
{
constexpr DWORD kStopWaitMs = 5000;
constexpr size_t kIniValueChars = 128;

void Pause(DWORD ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(UpdatePause(ms));
    while (!g_bUpdateStop && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

std::wstring ReadIniValue(const std::wstring& ini, const wchar_t* key)
{
    wchar_t buffer[kIniValueChars] = {};
    GetPrivateProfileStringW(L"CONFIG", key, L"", buffer, kIniValueChars, ini.c_str());
    return buffer;
}

// Pictavo and the uninstaller, wherever they run from this install folder; never a program of
// the same name elsewhere.
void StopProductPrograms(const std::wstring& installDir)
{
    for (const wchar_t* name : {ProductFiles::kMainProgram, ProductFiles::kUninstProgram})
    {
        if (!StopProgramsIn(name, {installDir}, kStopWaitMs).allEnded)
            LOG_ERROR(L"CUpdateMgr::DownFileThreadProc", L"%s is still running", name);
    }
}

// The window was closed while the installed version was whole: the package waits for the next
// start of Pictavo, which hands it over again.
unsigned KeepPackage(const wchar_t* why)
{
    LOG_INFO(L"CUpdateMgr::DownFileThreadProc", L"%s; the package stays for the next start", why);
    return 0;
}

void Report(int type, int progress, const wchar_t* text, DWORD delayMs)
{
    UpdateStatusRecord record;
    record.type = type;
    record.progress = progress;
    record.text = text;
    CUpdateMgr::PostStatus(record, delayMs);
}

} // namespace

DWORD UpdatePause(DWORD ms)
{
    static const long cap = [] {
        const char* value = std::getenv("PICTAVO_TEST_PAUSE_MS");
        return value != nullptr ? std::atol(value) : -1L;
    }();
    return cap >= 0 && static_cast<DWORD>(cap) < ms ? static_cast<DWORD>(cap) : ms;
}

void CUpdateMgr::OnDownloadProgress(int kind, int taskId, double total, double now)
{
    UpdateStatusRecord record;
    record.type = UPDATE_STATUS_DOWNLOAD;
    if (total < 1)
        record.text = L"开始下载...";
    else
    {
        record.progress = static_cast<int>(now * 100 / total);
        record.text = L"下载中...";
    }
    PostStatus(record, 0);
}

void CUpdateMgr::PostStatus(const UpdateStatusRecord& record, DWORD delayMs)
{
    if (g_hUpdateWnd.load() == nullptr)
        return;
    Pause(delayMs);
    const HWND window = g_hUpdateWnd.load();
    if (window != nullptr)
        PostRecord(window, WM_UPDATE_STATUS, std::make_unique<UpdateStatusRecord>(record));
}

unsigned CUpdateMgr::DownFileThreadProc(void* param)
{
    Pause(1000);
    if (g_bUpdateStop)
        return KeepPackage(L"stopped before the update began");
    // Held while the programs are stopped and the package applied: a Pictavo started meanwhile
    // must not stop this updater.
    CApplyLock applying;
    StopProductPrograms(m_strMainExePath);
    if (param == nullptr)
    {
        LOG_ERROR(L"CUpdateMgr::DownFileThreadProc", L"%s 线程参数错误", L"CUpdateMgr::DownFileThreadProc");
        return static_cast<unsigned>(-1);
    }
    CUpdateJournal(m_strMainExePath).RecoverAndLog(L"CUpdateMgr::DownFileThreadProc");
    const std::wstring packageDir = m_strMainExePath + L"/" + ProductFiles::kPackageFolder;
    Report(UPDATE_STATUS_STEP, 10, L"开始升级...", 3000);

    const std::wstring package = packageDir + L"/" + ProductFiles::kPackageFile;
    const std::wstring ini = packageDir + L"/" + ProductFiles::kPackageIniFile;
    const std::wstring version = ReadIniValue(ini, L"version");
    const std::wstring versionStr = ReadIniValue(ini, L"version_str");
    CPackageApplier applier(m_strMainExePath, &g_bUpdateStop);
    const bool applied = applier.Apply(package, version, versionStr);
    LOG_INFO(L"CUpdateMgr::DownFileThreadProc", L"%s 解压文件 strZipFile=[%s] m_strMainExePath=[%s] ret=[%d]",
             L"CUpdateMgr::DownFileThreadProc", package.c_str(), m_strMainExePath.c_str(), applied ? 1 : 0);
    if (!applied && applier.WasStopped())
        return KeepPackage(applier.FailureText().c_str());
    if (!applied)
    {
        LOG_ERROR(L"CUpdateMgr::DownFileThreadProc", L"update failed: %s", applier.FailureText().c_str());
        // The package goes before the window restarts the old Pictavo, which would else hand
        // it over again; a journal left by an undo that did not finish stays for the next start.
        if (!CUpdateJournal(m_strMainExePath).Exists())
            DeleteDirectoryTree(packageDir);
        Report(UPDATE_STATUS_FAILED, 100, L"解压失败...", 1000);
        return 0;
    }
    LOG_INFO(L"CUpdateMgr::DownFileThreadProc",
             L"%s ini文件读取版本号写入注册表 szUpgradeIniFile=[%s], version=[%s] versionStr=[%s]",
             L"CUpdateMgr::DownFileThreadProc", ini.c_str(), version.c_str(), versionStr.c_str());
    Report(UPDATE_STATUS_STEP, 100, L"解压完成...", 1000);
    Pause(2000);
    DeleteDirectoryTree(packageDir);
    Report(UPDATE_STATUS_DONE, 100, L"升级成功...", 1000);
    return 0;
}
