#include "PackageApplier.h"

#include "ProductFiles.h"
#include "StringHelper.h"
#include "ZipManager.h"

#include "platform/Win32.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
bool Present(const std::string& path, struct stat* info)
{
    return ::lstat(path.c_str(), info) == 0;
}

void RemoveTree(const std::string& path)
{
    std::error_code ec;
    fs::remove_all(path, ec);
}

// The package folder itself is never a target: it is removed once the update is done.
bool IsPackageFolderEntry(const fs::path& relative)
{
    return !relative.empty() && relative.begin()->string() == WideToAnsi(ProductFiles::kPackageFolder);
}
} // namespace

CPackageApplier::CPackageApplier(const std::wstring& installDir, const std::atomic<bool>* stop)
    : m_installDir(installDir), m_installUtf8(WideToAnsi(installDir)), m_journal(installDir), m_pStop(stop)
{
}

bool CPackageApplier::Apply(const std::wstring& package, const std::wstring& version,
                            const std::wstring& versionStr)
{
    m_failure.clear();
    if (!Unpack(package))
        return false;
    CUpdateJournal::Checkpoint();
    std::vector<CUpdateJournal::FileStep> files;
    std::vector<std::string> newFolders;
    if (!PlanSteps(&files, &newFolders) || !StageConfig(version, &files))
        return false;
    if (Stopped())
        return Fail(L"stopped before any file was replaced");
    if (!m_journal.Begin(files, newFolders, version, versionStr))
        return Fail(L"the journal cannot be written");
    if (!MoveFilesIn(files))
    {
        m_journal.RollBack();
        return false;
    }
    if (!m_journal.Commit())
    {
        m_journal.RollBack();
        return Fail(L"the journal cannot be committed");
    }
    m_journal.RecordVersion();
    m_journal.Finish();
    return true;
}

// Everything is unpacked and checked (names, links, every entry's CRC) before the install
// folder is touched.
bool CPackageApplier::Unpack(const std::wstring& package)
{
    RemoveTree(m_journal.StagingDir());
    RemoveTree(m_journal.BackupDir());
    if (::mkdir(m_journal.StagingDir().c_str(), 0755) != 0)
        return Fail(L"the staging folder cannot be made");
    CZipManager zip;
    const std::wstring staging = AnsiToWide(m_journal.StagingDir());
    if (zip.OpenZip(package.c_str(), nullptr) && zip.SetUnzipDir(staging.c_str()) && zip.UnzipAll())
        return true;
    std::wstring entry;
    const ZipResult result = zip.GetLastFailure(nullptr, &entry);
    wchar_t text[64] = {};
    wsprintfW(text, L"unpacking failed (0x%08x) ", static_cast<unsigned>(result));
    return Fail(text + entry);
}

bool CPackageApplier::PlanSteps(std::vector<CUpdateJournal::FileStep>* files,
                                std::vector<std::string>* newFolders)
{
    const fs::path staging = m_journal.StagingDir();
    std::error_code ec;
    for (fs::recursive_directory_iterator it(staging, ec), end; !ec && it != end; it.increment(ec))
    {
        const fs::path relative = it->path().lexically_relative(staging);
        if (IsPackageFolderEntry(relative))
            return Fail(L"the package writes into its own folder: " + AnsiToWide(relative.string()));
        const std::string target = m_installUtf8 + "/" + relative.string();
        struct stat info = {};
        const bool exists = Present(target, &info);
        if (it->is_directory(ec) && !it->is_symlink(ec))
        {
            if (!exists)
                newFolders->push_back(relative.string());
            else if (!S_ISDIR(info.st_mode))
                return Fail(L"a file stands where the package has a folder: " +
                            AnsiToWide(relative.string()));
        }
        else if (it->is_regular_file(ec) && !it->is_symlink(ec))
        {
            if (exists && S_ISDIR(info.st_mode))
                return Fail(L"a folder stands where the package has a file: " +
                            AnsiToWide(relative.string()));
            files->push_back({relative.string(), exists});
        }
        else
            return Fail(L"the package holds something that is no file: " + AnsiToWide(relative.string()));
    }
    if (ec)
        return Fail(L"the staging folder cannot be read");
    // Pictavo goes in last: until the end the program that recovers a cut-off update is the
    // installed one.
    std::stable_partition(files->begin(), files->end(), [](const CUpdateJournal::FileStep& step) {
        return step.path != WideToAnsi(ProductFiles::kMainProgram);
    });
    return true;
}

// config.ini takes the new version inside the staging folder, so it changes with the files.
// A package without its own config.ini keeps the installed one (the user's settings).
bool CPackageApplier::StageConfig(const std::wstring& version, std::vector<CUpdateJournal::FileStep>* files)
{
    const std::string name = WideToAnsi(ProductFiles::kConfigFile);
    const std::string staged = m_journal.StagingDir() + "/" + name;
    const std::string installed = m_installUtf8 + "/" + name;
    struct stat info = {};
    const bool installedExists = Present(installed, &info);
    if (!Present(staged, &info))
    {
        std::error_code ec;
        if (installedExists && !fs::copy_file(installed, staged, ec))
            return Fail(L"config.ini cannot be staged");
        files->push_back({name, installedExists});
    }
    if (!WritePrivateProfileStringW(L"CONFIG", L"version", version.c_str(), AnsiToWide(staged).c_str()))
        return Fail(L"config.ini cannot take the version");
    return true;
}

bool CPackageApplier::MoveFilesIn(const std::vector<CUpdateJournal::FileStep>& files)
{
    for (const CUpdateJournal::FileStep& step : files)
    {
        // The file in hand is finished first: a stop never leaves one half replaced.
        if (Stopped())
            return Fail(L"stopped while replacing files");
        if (!m_journal.ApplyFile(step))
            return Fail(L"cannot replace " + AnsiToWide(step.path));
    }
    return true;
}

bool CPackageApplier::Fail(const std::wstring& text)
{
    m_failure = text;
    if (!m_journal.Exists())
    {
        RemoveTree(m_journal.StagingDir());
        RemoveTree(m_journal.BackupDir());
    }
    return false;
}
