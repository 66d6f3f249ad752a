#include "update/PackageApplier.h"

#include "common/base/StringHelper.h"
#include "common/install/InstallManifest.h"
#include "common/install/ProductFiles.h"
#include "update/ZipManager.h"

#include "platform/Win32.h"

#include <algorithm>
#include <filesystem>
#include <optional>
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

constexpr DWORD kProfileListChars = 32768;
constexpr DWORD kProfileValueChars = 4096;

// The section names of ini (section null) or the key names of one section.
std::vector<std::wstring> ProfileNames(const std::wstring& ini, const wchar_t* section)
{
    std::vector<wchar_t> buffer(kProfileListChars, L'\0');
    const DWORD length =
        GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), kProfileListChars, ini.c_str());
    std::vector<std::wstring> names;
    for (DWORD start = 0; start < length && buffer[start] != L'\0';)
    {
        names.emplace_back(buffer.data() + start);
        start += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

std::optional<std::wstring> ProfileValue(const std::wstring& ini, const std::wstring& section,
                                         const std::wstring& key)
{
    // No value of a settings file holds this marker.
    static const wchar_t* const kMissing = L"\x01missing";
    std::vector<wchar_t> buffer(kProfileValueChars, L'\0');
    GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing, buffer.data(), kProfileValueChars,
                             ini.c_str());
    const std::wstring value = buffer.data();
    return value == kMissing ? std::nullopt : std::optional<std::wstring>(value);
}

// Every key of source that target lacks is added to target; target's own keys keep their values.
bool AddMissingKeys(const std::wstring& source, const std::wstring& target)
{
    for (const std::wstring& section : ProfileNames(source, nullptr))
    {
        for (const std::wstring& key : ProfileNames(source, section.c_str()))
        {
            if (ProfileValue(target, section, key))
                continue;
            const std::wstring value = ProfileValue(source, section, key).value_or(L"");
            if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), target.c_str()))
                return false;
        }
    }
    return true;
}

// Pictavo goes in last: until the end the program that recovers a cut-off update is the
// installed one.
void KeepMainProgramLast(std::vector<CUpdateJournal::FileStep>* files)
{
    std::stable_partition(files->begin(), files->end(), [](const CUpdateJournal::FileStep& step) {
        return step.path != WideToAnsi(ProductFiles::kMainProgram);
    });
}

// The log's account of a package that could not be unpacked: the step, the archive's result
// and the entry it concerned.
std::wstring UnpackFailure(const CZipManager& zip)
{
    static const wchar_t* const kStepText[] = {
        L"the unpack folder cannot be set",
        L"the package cannot be opened",
        L"the package fails the check",
        L"unpacking failed",
    };
    std::wstring entry;
    const ZipResult result = zip.GetLastFailure(nullptr, &entry);
    wchar_t text[96] = {};
    wsprintfW(text, L"%s (0x%08x)", kStepText[static_cast<int>(zip.GetFailedStep())],
              static_cast<unsigned>(result));
    return entry.empty() ? std::wstring(text) : std::wstring(text) + L" " + entry;
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
    m_stopped = false;
    if (Stopped())
        return Stop(L"stopped before the package was unpacked");
    if (!Unpack(package))
        return false;
    CUpdateJournal::Checkpoint();
    std::vector<CUpdateJournal::FileStep> files;
    std::vector<std::string> newFolders;
    // update.ini of a downloaded package holds only "version_str": that is the version then.
    const std::wstring newVersion = version.empty() ? versionStr : version;
    if (!PlanSteps(&files, &newFolders) || !StageConfig(newVersion, &files) ||
        !StageManifest(newFolders, &files))
        return false;
    KeepMainProgramLast(&files);
    if (Stopped())
        return Stop(L"stopped before any file was replaced");
    if (!m_journal.Begin(files, newFolders, newVersion, versionStr))
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
    return Fail(UnpackFailure(zip));
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
    return true;
}

// config.ini changes inside the staging folder, so it changes with the files: the user's file is
// the base (every key the user has stays), the package's keys it lacks are added, and the new
// version is written. An empty version text leaves the installed one.
bool CPackageApplier::StageConfig(const std::wstring& version, std::vector<CUpdateJournal::FileStep>* files)
{
    const std::string name = WideToAnsi(ProductFiles::kConfigFile);
    const std::string staged = m_journal.StagingDir() + "/" + name;
    const std::string installed = m_installUtf8 + "/" + name;
    struct stat info = {};
    const bool carried = Present(staged, &info);
    const bool installedExists = Present(installed, &info);
    if (installedExists)
    {
        const std::string packaged = staged + ".package";
        std::error_code ec;
        if (carried)
            fs::rename(staged, packaged, ec);
        if (ec || !fs::copy_file(installed, staged, ec))
            return Fail(L"config.ini cannot be staged");
        if (carried && !AddMissingKeys(AnsiToWide(packaged), AnsiToWide(staged)))
            return Fail(L"config.ini cannot take the package's keys");
        fs::remove(packaged, ec);
    }
    if (!version.empty() &&
        !WritePrivateProfileStringW(L"CONFIG", L"version", version.c_str(), AnsiToWide(staged).c_str()))
        return Fail(L"config.ini cannot take the version");
    AddStagedStep(name, carried, files);
    return true;
}

// The manifest lists what the uninstaller removes: the files and folders the package adds join
// the setup's list in the same step as the files themselves.
bool CPackageApplier::StageManifest(const std::vector<std::string>& newFolders,
                                    std::vector<CUpdateJournal::FileStep>* files)
{
    const std::string name = WideToAnsi(ProductFiles::kManifestFile);
    CInstallManifest manifest;
    manifest.Load(m_installDir);
    for (const std::string& folder : newFolders)
        manifest.AddFolder(AnsiToWide(folder));
    for (const CUpdateJournal::FileStep& step : *files)
    {
        if (step.path != name)
            manifest.AddFile(AnsiToWide(step.path));
    }
    struct stat info = {};
    const bool carried = Present(m_journal.StagingDir() + "/" + name, &info);
    if (!manifest.Save(AnsiToWide(m_journal.StagingDir())))
        return Fail(L"install.manifest cannot be staged");
    AddStagedStep(name, carried, files);
    return true;
}

void CPackageApplier::AddStagedStep(const std::string& name, bool carried,
                                    std::vector<CUpdateJournal::FileStep>* files) const
{
    struct stat info = {};
    if (!carried && Present(m_journal.StagingDir() + "/" + name, &info))
        files->push_back({name, Present(m_installUtf8 + "/" + name, &info)});
}

bool CPackageApplier::MoveFilesIn(const std::vector<CUpdateJournal::FileStep>& files)
{
    for (const CUpdateJournal::FileStep& step : files)
    {
        // The file in hand is finished first: a stop never leaves one half replaced.
        if (Stopped())
            return Stop(L"stopped while replacing files");
        if (!m_journal.ApplyFile(step))
            return Fail(L"cannot replace " + AnsiToWide(step.path));
    }
    return true;
}

bool CPackageApplier::Stop(const wchar_t* text)
{
    m_stopped = true;
    return Fail(text);
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
