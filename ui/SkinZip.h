#pragma once
// A skin archive read from memory with minizip. Entry names are matched without regard to case
// and with "\" or "/" as separators; names that climb out of the archive ("..") or are absolute
// are refused, both when the archive is indexed and when a caller asks for them.

#include "platform/WinTypes.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace DuiLib
{
struct ZipMemory;

class CSkinZip
{
public:
    CSkinZip();
    CSkinZip(const CSkinZip&) = delete;
    CSkinZip& operator=(const CSkinZip&) = delete;
    ~CSkinZip();

    // Keeps a copy of the bytes; false when they are not a zip archive.
    bool Open(const void* data, std::size_t size);
    bool OpenFile(const std::wstring& path);
    bool IsOpen() const { return m_zip != nullptr; }
    bool Contains(LPCWSTR name) const;
    // The entry's bytes; false when it is missing, refused or unreadable.
    bool Read(LPCWSTR name, std::vector<BYTE>& data);
    std::size_t EntryCount() const { return m_index.size(); }

    // Normalises an entry name ("\" to "/", lower case); empty when the name is refused.
    static std::wstring NormalizeName(const std::wstring& name);
    // True when a "/"-separated name has a ".." component.
    static bool ClimbsOut(const std::wstring& name);

private:
    struct EntryPos
    {
        unsigned long long posInDir;
        unsigned long long numFile;
        unsigned long long size;
    };
    void Close();
    void BuildIndex();

    std::unique_ptr<ZipMemory> m_memory;
    void* m_zip = nullptr;
    std::map<std::wstring, EntryPos> m_index;
    std::mutex m_lock;
};
} // namespace DuiLib
