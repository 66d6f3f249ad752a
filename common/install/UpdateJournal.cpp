#include "common/install/UpdateJournal.h"

#include "common/base/Log.h"
#include "common/base/StringHelper.h"
#include "common/install/OwnFile.h"
#include "common/install/ProductFiles.h"
#include "common/install/RegSettings.h"

#include "platform/UniqueFd.h"
#include "platform/Win32.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr const char kMagic[] = "pictavo-update 1";
// A journal names each file of one package once (at most some tens of thousands).
constexpr std::size_t kMaxJournalBytes = 64 * 1024 * 1024;
constexpr const char kStateApply[] = "apply";
constexpr const char kStateCommit[] = "commit";
constexpr const wchar_t kApplyMutex[] = L"PictavoUpdateApplying";

// A journal line holds one path; names may hold any byte but "/" and NUL.
std::string Escape(const std::string& text)
{
    std::string out;
    for (const char c : text)
    {
        if (c == '%')
            out += "%25";
        else if (c == '\n')
            out += "%0A";
        else if (c == '\r')
            out += "%0D";
        else
            out += c;
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '%' && i + 2 < text.size())
        {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        }
        else
            out += text[i];
    }
    return out;
}

bool PathPresent(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}

void MakeParents(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
}

void SyncFolder(const std::string& folder)
{
    const platform::UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.get());
}

// Journal paths stay below the install folder: relative, without "." or ".." parts.
bool IsInsidePath(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return false;
    for (const auto& part : std::filesystem::path(path))
    {
        if (part == "." || part == ".." || part.empty())
            return false;
    }
    return true;
}

void RemoveTree(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}
} // namespace

CUpdateJournal::CUpdateJournal(const std::wstring& installDir)
    : m_installDir(WideToAnsi(installDir)),
      m_packageDir(m_installDir + "/" + WideToAnsi(ProductFiles::kPackageFolder))
{
}

bool CUpdateJournal::Exists() const
{
    return PathPresent(JournalPath());
}

bool CUpdateJournal::Begin(const std::vector<FileStep>& files, const std::vector<std::string>& newFolders,
                           const std::wstring& version, const std::wstring& versionStr)
{
    m_files = files;
    m_newFolders = newFolders;
    m_version = version;
    m_versionStr = versionStr;
    return WriteState(kStateApply);
}

bool CUpdateJournal::ApplyFile(const FileStep& step)
{
    const std::string target = m_installDir + "/" + step.path;
    // The backup is a second name of the installed file, and the new file replaces it in one
    // rename: at no point is the file missing, so Pictavo can always start to recover.
    if (step.existed)
    {
        const std::string backup = BackupDir() + "/" + step.path;
        MakeParents(backup);
        ::unlink(backup.c_str());
        if (::link(target.c_str(), backup.c_str()) != 0)
            return false;
        Checkpoint();
    }
    MakeParents(target);
    const std::string staged = StagingDir() + "/" + step.path;
    if (::rename(staged.c_str(), target.c_str()) != 0)
        return false;
    Checkpoint();
    return true;
}

bool CUpdateJournal::Commit()
{
    return WriteState(kStateCommit);
}

void CUpdateJournal::RecordVersion() const
{
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    if (!reg.IsOpen())
        return;
    if (!m_version.empty())
        reg.SetValue(L"version", m_version.c_str());
    Checkpoint();
    if (!m_versionStr.empty())
        reg.SetValue(L"version_str", m_versionStr.c_str());
    Checkpoint();
}

void CUpdateJournal::Finish()
{
    ::unlink(JournalPath().c_str());
    Checkpoint();
    RemoveTree(StagingDir());
    Checkpoint();
    RemoveTree(BackupDir());
}

bool CUpdateJournal::RollBack()
{
    bool whole = true;
    for (auto it = m_files.rbegin(); it != m_files.rend(); ++it)
    {
        const std::string target = m_installDir + "/" + it->path;
        if (it->existed)
        {
            const std::string backup = BackupDir() + "/" + it->path;
            if (PathPresent(backup) && ::rename(backup.c_str(), target.c_str()) != 0)
                whole = false;
        }
        else if (!PathPresent(StagingDir() + "/" + it->path) && PathPresent(target) &&
                 ::unlink(target.c_str()) != 0)
            whole = false;
    }
    for (auto it = m_newFolders.rbegin(); it != m_newFolders.rend(); ++it)
        ::rmdir((m_installDir + "/" + *it).c_str());
    if (whole)
        Finish();
    return whole;
}

CUpdateJournal::Outcome CUpdateJournal::Recover()
{
    if (!Exists())
        return Outcome::None;
    if (!Load())
        return Outcome::Failed;
    if (m_state == kStateApply)
        return RollBack() ? Outcome::RolledBack : Outcome::Failed;
    RecordVersion();
    Finish();
    return Outcome::RolledForward;
}

CUpdateJournal::Outcome CUpdateJournal::RecoverAndLog(const wchar_t* caller)
{
    const Outcome outcome = Recover();
    if (outcome != Outcome::None)
        LOG_INFO(caller, L"an update cut off earlier was %s",
                 outcome == Outcome::RolledBack      ? L"undone"
                 : outcome == Outcome::RolledForward ? L"finished"
                                                     : L"not recoverable");
    return outcome;
}

void CUpdateJournal::Checkpoint()
{
    static const long killAt = [] {
        const char* value = std::getenv("PICTAVO_TEST_KILL_AT");
        return value != nullptr ? std::atol(value) : 0L;
    }();
    static std::atomic<long> passed{0};
    if (killAt > 0 && ++passed == killAt)
        ::raise(SIGKILL);
}

bool CUpdateJournal::Load()
{
    // Read at every start: a FIFO or a link in its place must neither block nor lead elsewhere.
    std::string bytes;
    if (!ReadOwnFile(JournalPath(), kMaxJournalBytes, bytes))
        return false;
    std::istringstream in(bytes);
    std::string line;
    if (!std::getline(in, line) || line != kMagic)
        return false;
    m_files.clear();
    m_newFolders.clear();
    m_state.clear();
    while (std::getline(in, line))
    {
        const size_t blank = line.find(' ');
        const std::string key = line.substr(0, blank);
        const std::string value =
            blank == std::string::npos ? std::string() : Unescape(line.substr(blank + 1));
        if (key == "state")
            m_state = value;
        else if (key == "version")
            m_version = AnsiToWide(value);
        else if (key == "version_str")
            m_versionStr = AnsiToWide(value);
        else if (key == "folder")
            m_newFolders.push_back(value);
        else if (key == "file" && value.size() > 2)
            m_files.push_back({value.substr(2), value[0] == '1'});
    }
    for (const FileStep& step : m_files)
    {
        if (!IsInsidePath(step.path))
            return false;
    }
    for (const std::string& folder : m_newFolders)
    {
        if (!IsInsidePath(folder))
            return false;
    }
    return m_state == kStateApply || m_state == kStateCommit;
}

// The whole journal is written beside the old one and renamed over it: a kill leaves either.
bool CUpdateJournal::WriteState(const char* state)
{
    std::ostringstream text;
    text << kMagic << "\nstate " << state << "\nversion " << Escape(WideToAnsi(m_version)) << "\nversion_str "
         << Escape(WideToAnsi(m_versionStr)) << "\n";
    for (const std::string& folder : m_newFolders)
        text << "folder " << Escape(folder) << "\n";
    for (const FileStep& step : m_files)
        text << "file " << (step.existed ? '1' : '0') << ' ' << Escape(step.path) << "\n";
    const std::string body = text.str();
    const std::string temp = JournalPath() + ".new";
    ::unlink(temp.c_str());
    platform::UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd)
        return false;
    const bool written = ::write(fd.get(), body.data(), body.size()) == static_cast<ssize_t>(body.size()) &&
                         ::fsync(fd.get()) == 0;
    fd.reset();
    if (!written || ::rename(temp.c_str(), JournalPath().c_str()) != 0)
    {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(m_packageDir);
    m_state = state;
    Checkpoint();
    return true;
}

bool IsUpdateApplying()
{
    ::SetLastError(ERROR_SUCCESS);
    const platform::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kApplyMutex));
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

CApplyLock::CApplyLock()
{
    ::SetLastError(ERROR_SUCCESS);
    m_hMutex.reset(::CreateMutexW(nullptr, TRUE, kApplyMutex));
    m_held = m_hMutex && ::GetLastError() != ERROR_ALREADY_EXISTS;
}
