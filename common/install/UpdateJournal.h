#pragma once
// The record of an update package being applied to an install folder. The new files are
// unpacked and checked in a staging folder first; then each replaced file is moved into a
// backup folder and the new one renamed in, with this journal (in the package folder) saying
// how far it got. Whoever starts next (Pictavo or Update) calls Recover: before the commit
// mark it undoes everything (the old version, whole), after it finishes (the new one, whole).

#include "platform/UniqueHandle.h"

#include <string>
#include <vector>

class CUpdateJournal
{
public:
    struct FileStep
    {
        std::string path; // relative to the install folder, UTF-8
        bool existed;     // a file of the installed version is replaced
    };

    enum class Outcome
    {
        None,          // no update was cut off
        RolledBack,    // the old version is whole again
        RolledForward, // the new version is whole
        Failed,        // the journal is unreadable or a step could not be redone
    };

    explicit CUpdateJournal(const std::wstring& installDir);

    std::string PackageDir() const { return m_packageDir; }
    std::string StagingDir() const { return m_packageDir + "/staging"; }
    std::string BackupDir() const { return m_packageDir + "/backup"; }
    std::string JournalPath() const { return m_packageDir + "/journal"; }
    bool Exists() const;

    // Writes the journal in its first state; nothing in the install folder has changed yet.
    bool Begin(const std::vector<FileStep>& files, const std::vector<std::string>& newFolders,
               const std::wstring& version, const std::wstring& versionStr);
    // Moves one file of the staging folder into place, the replaced one into the backup folder.
    bool ApplyFile(const FileStep& step);
    // Every file is in place: from here on the new version stands.
    bool Commit();
    // Records the new version in the product key; an empty version text is never written.
    void RecordVersion() const;
    // Removes the staging and backup folders and the journal.
    void Finish();
    // Undoes every file moved so far (the journal's first state).
    bool RollBack();

    // Undoes or finishes an update that was cut off; None when no journal is there.
    Outcome Recover();
    // Recover, with a log line for caller when there was something to recover.
    Outcome RecoverAndLog(const wchar_t* caller);

    // Test-only: PICTAVO_TEST_KILL_AT=n ends the process with SIGKILL at the n-th step of an
    // apply, so that a test can cut an update off at every point. Each step between two
    // changes of the install folder calls this.
    static void Checkpoint();

private:
    bool Load();
    bool WriteState(const char* state);

    std::string m_installDir;
    std::string m_packageDir;
    std::string m_state;
    std::vector<FileStep> m_files;
    std::vector<std::string> m_newFolders;
    std::wstring m_version;
    std::wstring m_versionStr;
};

// True while an updater holds the apply lock: its programs must not be stopped then.
bool IsUpdateApplying();
// Held by the updater from stopping the programs until the package is applied or undone.
class CApplyLock
{
public:
    CApplyLock();
    CApplyLock(const CApplyLock&) = delete;
    CApplyLock& operator=(const CApplyLock&) = delete;
    bool Held() const { return m_held; }

private:
    platform::UniqueHandle m_hMutex;
    bool m_held = false;
};
