#pragma once
// The updater's zip extractor as its callers see it: open an archive, choose the folder to
// unpack into, list the entries, unpack one or all of them. Operations return 1 on success
// and 0 on failure; some failures are also sent to the debug channel.

#include "update/ZipArchive.h"

#include "platform/WinTypes.h"

#include <string>

class CZipManager
{
public:
    CZipManager() = default;
    CZipManager(const CZipManager&) = delete;
    CZipManager& operator=(const CZipManager&) = delete;
    virtual ~CZipManager();

    // password: null for none.
    virtual BOOL OpenZip(const wchar_t* path, const char* password);
    // folder null: the opened archive's path without its extension.
    virtual BOOL SetUnzipDir(const wchar_t* folder);
    virtual BOOL GetItemCount(int* count);
    // name: room for MAX_PATH characters.
    virtual BOOL GetItemName(int index, wchar_t* name);
    // Unpacks the entry called name (ASCII case ignored) directly into the base folder under the
    // last component of name, which fileName (room for MAX_PATH characters) receives.
    virtual BOOL UnzipItemByName(const wchar_t* name, wchar_t* fileName);
    virtual BOOL UnzipItem(int index, const wchar_t* target);
    // Checks every entry first, so that an archive that is refused writes nothing; then unpacks
    // in order and stops at the first failure, leaving the entries written before it in place.
    virtual BOOL UnzipAll();
    virtual void Release();

    // The step of the last failure of OpenZip or UnzipAll.
    enum class Step
    {
        None,   // no failure
        Open,   // the archive could not be opened
        Check,  // an entry was refused before anything was written
        Unpack, // an entry could not be written
    };
    // Why the last OpenZip or UnzipAll failed: its result, and the entry (-1 and an empty name
    // when the failure concerned the archive as a whole). ZIP_OK after a success.
    ZipResult GetLastFailure(int* index, std::wstring* name) const;
    Step GetFailedStep() const { return m_failedStep; }

private:
    ZipResult CheckHandle() const;
    ZipArchive* Archive() const { return m_hZip->archive; }
    BOOL FailUnzipAll(Step step, ZipResult result, int index);

    ZipHandle* m_hZip = nullptr;
    wchar_t m_szZipName[MAX_PATH] = {};
    ZipResult m_lastFailure = ZIP_OK;
    Step m_failedStep = Step::None;
    int m_failedIndex = -1;
    std::wstring m_failedName;
};
