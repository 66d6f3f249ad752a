#pragma once
// The archive layer of the updater's zip extractor: one archive read through minizip, its
// entries described as ZipEntry records and unpacked below a base folder. Every failure is a
// ZipResult; nothing throws.

#include "update/ZipEntry.h"
#include "update/ZipResult.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class ZipArchive
{
public:
    // password: null for none (the updater's case); copied.
    explicit ZipArchive(const char* password);
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    ~ZipArchive();

    // Opens the archive and reads its central directory; the base folder becomes the current
    // directory.
    ZipResult Open(const wchar_t* path);
    // At most MAX_PATH - 2 characters, so that the separator and the terminator fit.
    ZipResult SetBaseDir(const wchar_t* folder);
    // index -1: out->index receives the number of entries.
    ZipResult GetEntry(int index, ZipEntry* out);
    // ASCII letters compare without regard to case; other bytes compare exactly.
    ZipResult FindEntry(const wchar_t* name, int* index, ZipEntry* out);
    // target: a path relative to the base folder, or an absolute path.
    ZipResult UnzipEntry(int index, const wchar_t* target);
    // Checks every entry from the central directory before anything is written: the limits,
    // the names, links and encryption. *failedIndex: the first entry refused, or -1.
    ZipResult CheckEntries(int* failedIndex);
    ZipResult Close();

private:
    // What the extractor needs of an entry beyond its ZipEntry record.
    struct EntryFacts
    {
        mode_t mode = 0644;
        bool link = false;
        bool encrypted = false;
        std::uint64_t size = 0;
    };
    // The central-directory part of an entry: its record without the local extra field.
    struct EntryInfo
    {
        ZipEntry entry;
        EntryFacts facts;
    };

    ZipResult MoveTo(int index);
    ZipResult ReadCurrentInfo(EntryInfo* out);
    ZipResult ReadLocalExtra(std::vector<unsigned char>* extra);
    ZipResult BuildEntry(int index);
    ZipResult UnzipFolder(const std::wstring& target);
    ZipResult UnzipFile(const std::wstring& target);
    ZipResult CopyEntryData(HANDLE file);
    void CloseOpenEntry();
    std::string BaseFolderUtf8() const;

    void* m_reader = nullptr;
    // Open also without a reader: the reader cannot hold an archive without entries.
    bool m_open = false;
    int m_count = 0;
    int m_readerIndex = 0;
    int m_openIndex = -1;
    ZipEntry m_cached = {};
    EntryFacts m_cachedFacts;
    int m_cachedIndex = -1;
    std::optional<std::string> m_password;
    std::vector<char> m_buffer;
    wchar_t m_baseDir[MAX_PATH] = {};
};

// What OpenZipArchive returns; kind 1 is an archive reader.
struct ZipHandle
{
    int kind;
    ZipArchive* archive;
};

constexpr int kZipHandleArchive = 1;

// Null when the archive cannot be opened; result (when given) receives why.
ZipHandle* OpenZipArchive(const wchar_t* path, const char* password, ZipResult* result = nullptr);
ZipResult CloseZipArchive(ZipHandle* handle);
