#pragma once
// Applies an update package to an install folder so that a failure or a kill at any point
// leaves the whole old version or the whole new one: the package is unpacked and checked in a
// staging folder below the package folder (the same file system); config.ini (the user's keys,
// the package's new ones, the new version) and install.manifest (with the files the package
// adds) are made there too, and all of them are then moved in under the journal of
// CUpdateJournal.

#include "common/install/UpdateJournal.h"

#include <atomic>
#include <string>

class CPackageApplier
{
public:
    // stop: set by another thread to cut the apply short; the old version is then restored.
    CPackageApplier(const std::wstring& installDir, const std::atomic<bool>* stop);

    // True when the new version stands, with its version recorded in the product key and in
    // config.ini; false when the installed version is whole (also after a stop).
    bool Apply(const std::wstring& package, const std::wstring& version, const std::wstring& versionStr);
    // Why the last Apply failed, for the log.
    const std::wstring& FailureText() const { return m_failure; }
    // The last Apply ended because it was asked to stop (the installed version is whole).
    bool WasStopped() const { return m_stopped; }

private:
    bool Unpack(const std::wstring& package);
    bool PlanSteps(std::vector<CUpdateJournal::FileStep>* files, std::vector<std::string>* newFolders);
    bool StageConfig(const std::wstring& version, std::vector<CUpdateJournal::FileStep>* files);
    bool StageManifest(const std::vector<std::string>& newFolders,
                       std::vector<CUpdateJournal::FileStep>* files);
    // Adds name's step unless the package carries that file itself.
    void AddStagedStep(const std::string& name, bool carried,
                       std::vector<CUpdateJournal::FileStep>* files) const;
    bool MoveFilesIn(const std::vector<CUpdateJournal::FileStep>& files);
    bool Fail(const std::wstring& text);
    bool Stop(const wchar_t* text);
    bool Stopped() const { return m_pStop != nullptr && m_pStop->load(); }

    std::wstring m_installDir;
    std::string m_installUtf8;
    CUpdateJournal m_journal;
    const std::atomic<bool>* m_pStop;
    std::wstring m_failure;
    bool m_stopped = false;
};
