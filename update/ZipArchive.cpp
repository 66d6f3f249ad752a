#include "update/ZipArchive.h"

#include "platform/Files.h"
#include "platform/Kernel.h"
#include "platform/Text.h"
#include "platform/UniqueFd.h"
#include "platform/UniqueHandle.h"
#include "platform/Utf.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr size_t kCopyBufferSize = 16384;
// Raw names are read whole into this buffer; a longer one could not fit the entry record anyway.
constexpr size_t kRawNameBytes = 1024;
// Lookups by name compare against the reader's own name buffer size.
constexpr size_t kLookupNameBytes = 256;
constexpr uLong kFlagEncrypted = 0x1;
constexpr uLong kFlagUtf8 = 0x800;
// The attributes a Windows archiver records that mean the same here.
constexpr DWORD kWindowsAttrMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

bool IsSeparator(wchar_t c)
{
    return c == L'/' || c == L'\\';
}

std::wstring ToWide(UINT codePage, const std::string& raw)
{
    const int size = static_cast<int>(raw.size());
    std::wstring wide(raw.size(), L'\0');
    const int length = ::MultiByteToWideChar(codePage, 0, raw.data(), size, wide.data(), size);
    wide.resize(static_cast<size_t>(std::max(length, 0)));
    return wide;
}

// The ANSI code page is UTF-8 here; names that are not UTF-8 come from archives made on
// Chinese Windows, in code page 936.
std::wstring DecodeName(const std::string& raw, bool utf8Flag)
{
    if (utf8Flag || platform::IsValidUtf8(raw))
        return ToWide(CP_ACP, raw);
    return ToWide(CP_GBK, raw);
}

// Drops drive prefixes, leading separators and everything up to a parent reference, until
// none applies. A name that still begins with "../" is refused later, when it is used.
std::wstring CleanName(std::wstring name)
{
    static const wchar_t* const kParentPatterns[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
    for (;;)
    {
        if (name.size() >= 2 && name[1] == L':')
        {
            name.erase(0, 2);
            continue;
        }
        if (!name.empty() && IsSeparator(name[0]))
        {
            name.erase(0, 1);
            continue;
        }
        bool dropped = false;
        for (const wchar_t* pattern : kParentPatterns)
        {
            const size_t at = name.find(pattern);
            if (at != std::wstring::npos)
            {
                name.erase(0, at + std::wcslen(pattern));
                dropped = true;
                break;
            }
        }
        if (!dropped)
            return name;
    }
}

bool IsWindowsHost(uLong versionMadeBy)
{
    const uLong host = versionMadeBy >> 8;
    return host == 0 || host == 7 || host == 11 || host == 14;
}

DWORD AttributesOf(uLong versionMadeBy, uLong external)
{
    if (IsWindowsHost(versionMadeBy))
        return static_cast<DWORD>(external) & kWindowsAttrMask;
    DWORD attr = FILE_ATTRIBUTE_ARCHIVE;
    if (external & (1UL << 30))
        attr |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(external & (1UL << 23)))
        attr |= FILE_ATTRIBUTE_READONLY;
    return attr;
}

// Unix permission bits are kept (never setuid, setgid or sticky) so executables stay
// executable; a Windows entry only knows read-only. No bits at all means none were recorded.
mode_t ModeOf(uLong versionMadeBy, uLong external, DWORD attr)
{
    if (IsWindowsHost(versionMadeBy))
        return (attr & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
    const mode_t mode = static_cast<mode_t>((external >> 16) & 0777);
    return mode != 0 ? mode : 0644;
}

bool IsLinkEntry(uLong versionMadeBy, uLong external)
{
    return !IsWindowsHost(versionMadeBy) && ((external >> 16) & S_IFMT) == S_IFLNK;
}

// The DOS stamp is local time; a stamp that is no calendar time leaves the file's time alone.
FILETIME DosToUtc(uLong dosDate)
{
    FILETIME local = {};
    FILETIME utc = {};
    if (!DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
        return FILETIME{};
    return utc;
}

FILETIME UnixSecondsToFileTime(std::int32_t seconds)
{
    return platform::UnixToFileTime(timespec{seconds, 0});
}

// Times that would run past the block or the field are not taken.
void ReadTimeStamps(const std::vector<unsigned char>& extra, size_t begin, size_t end, ZipEntry* entry)
{
    const unsigned flags = extra[begin];
    FILETIME* const targets[] = {&entry->mtime, &entry->atime, &entry->ctime};
    size_t pos = begin + 1;
    for (unsigned bit = 0; bit < 3; ++bit)
    {
        if (!(flags & (1U << bit)))
            continue;
        if (pos + 4 > end)
            return;
        const std::uint32_t value = extra[pos] | (extra[pos + 1] << 8) | (extra[pos + 2] << 16) |
                                    (static_cast<std::uint32_t>(extra[pos + 3]) << 24);
        *targets[bit] = UnixSecondsToFileTime(static_cast<std::int32_t>(value));
        pos += 4;
    }
}

void ApplyTimeBlock(const std::vector<unsigned char>& extra, ZipEntry* entry)
{
    size_t offset = 0;
    while (offset + 4 < extra.size())
    {
        const size_t length = extra[offset + 2] | (extra[offset + 3] << 8);
        if (extra[offset] == 'U' && extra[offset + 1] == 'T')
        {
            ReadTimeStamps(extra, offset + 4, std::min(offset + 4 + length, extra.size()), entry);
            return;
        }
        offset += length + 4;
    }
}

bool IsAllDots(const std::string& part)
{
    return part.find_first_not_of('.') == std::string::npos;
}

// The components of a target; false when one of them could leave the folder the walk starts
// from ("..", any all-dots name but ".") or could not be a file name at all.
bool SplitTarget(const std::wstring& target, std::vector<std::string>* parts)
{
    parts->clear();
    size_t start = 0;
    while (start <= target.size())
    {
        size_t end = start;
        while (end < target.size() && !IsSeparator(target[end]))
            ++end;
        const std::string part = platform::ToUtf8(target.substr(start, end - start));
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (IsAllDots(part) || part.size() > NAME_MAX)
            return false;
        parts->push_back(part);
    }
    return !parts->empty();
}

bool IsAbsoluteTarget(const std::wstring& target)
{
    return !target.empty() && IsSeparator(target[0]);
}

// A drive prefix has no meaning here; keeping it would name a folder "C:" by accident.
bool HasDrivePrefix(const std::wstring& target)
{
    return target.size() >= 2 && target[1] == L':';
}

bool IsLinkAt(int dirFd, const std::string& name)
{
    struct stat st = {};
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Walks (creating what is missing) from start through the first count parts. Below an
// archive's base folder links are never followed, so an entry cannot reach outside the base
// through a link that is already there; this is why the walk uses openat and O_NOFOLLOW rather
// than path strings.
ZipResult OpenFolderChain(const std::string& start, const std::vector<std::string>& parts, size_t count,
                          bool followLinks, platform::UniqueFd* out)
{
    if (::mkdir(start.c_str(), 0755) != 0 && errno != EEXIST)
        return ZIP_NOFILE;
    // The folder walk hands the descriptor on from level to level.
    platform::UniqueFd dir(::open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return ZIP_NOFILE;
    const int noFollow = followLinks ? 0 : O_NOFOLLOW;
    for (size_t i = 0; i < count; ++i)
    {
        ::mkdirat(dir.get(), parts[i].c_str(), 0755);
        const int next = ::openat(dir.get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
        if (next < 0)
            return !followLinks && IsLinkAt(dir.get(), parts[i]) ? ZIP_UNSAFE_NAME : ZIP_NOFILE;
        dir.reset(next);
    }
    *out = std::move(dir);
    return ZIP_OK;
}

// A fresh file beside the target, renamed over it only when complete.
int CreateTempAt(int dirFd, std::string* name)
{
    for (int attempt = 0; attempt < 16; ++attempt)
    {
        std::uint64_t random = 0;
        if (::getrandom(&random, sizeof random, 0) != sizeof random)
            random =
                static_cast<std::uint64_t>(::getpid()) * 1000003ULL + static_cast<std::uint64_t>(attempt);
        char text[40];
        std::snprintf(text, sizeof text, ".pictavo-unzip-%016llx", static_cast<unsigned long long>(random));
        const int fd = ::openat(dirFd, text, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
        {
            *name = text;
            return fd;
        }
    }
    return -1;
}

// Both have the same length here.
// The reader refuses an archive without entries (its end record then sits at offset 0), but
// such an archive is valid: an update package may be empty.
bool IsEmptyArchive(const std::string& path)
{
    unsigned char record[22] = {};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const size_t size = std::fread(record, 1, sizeof record, file);
    std::fclose(file);
    return size == sizeof record && std::memcmp(record, "PK\x05\x06", 4) == 0 && record[10] == 0 &&
           record[11] == 0 && record[12] == 0 && record[13] == 0 && record[14] == 0 && record[15] == 0;
}

bool NamesMatchIgnoringAsciiCase(const char* a, const std::string& b)
{
    for (size_t i = 0; i < b.size(); ++i)
    {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x >= 'a' && x <= 'z' && x - 32 == y) && !(y >= 'a' && y <= 'z' && y - 32 == x))
            return false;
    }
    return true;
}
} // namespace

ZipArchive::ZipArchive(const char* password)
{
    if (password != nullptr)
        m_password = password;
}

ZipArchive::~ZipArchive()
{
    Close();
}

ZipResult ZipArchive::Open(const wchar_t* path)
{
    if (m_open || m_openIndex != -1)
        return ZIP_ALREADY_OPEN;
    if (path == nullptr)
        return ZIP_ARGS;
    wchar_t cwd[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH - 1, cwd);
    if (length > 0 && length < MAX_PATH - 1)
        SetBaseDir(cwd);
    // The reader opens the file itself through buffered stdio: it reads headers a few bytes at a time.
    const std::string file = platform::ToUtf8(path);
    m_reader = ::unzOpen64(file.c_str());
    if (m_reader == nullptr)
    {
        m_open = IsEmptyArchive(file);
        m_count = 0;
        return m_open ? ZIP_OK : ZIP_NOFILE;
    }
    m_open = true;
    unz_global_info64 info = {};
    if (::unzGetGlobalInfo64(m_reader, &info) != UNZ_OK)
    {
        Close();
        return ZIP_NOFILE;
    }
    m_count = static_cast<int>(std::min<ZPOS64_T>(info.number_entry, INT_MAX));
    m_readerIndex = 0;
    return ZIP_OK;
}

ZipResult ZipArchive::SetBaseDir(const wchar_t* folder)
{
    // Cutting an overlong folder, or taking "" as "/", would unpack somewhere else entirely.
    const size_t length = folder != nullptr ? std::wcslen(folder) : 0;
    if (length == 0 || length > MAX_PATH - 2)
        return ZIP_ARGS;
    std::wmemcpy(m_baseDir, folder, length);
    m_baseDir[length] = L'\0';
    if (!IsSeparator(folder[length - 1]))
    {
        m_baseDir[length] = L'/';
        m_baseDir[length + 1] = L'\0';
    }
    return ZIP_OK;
}

ZipResult ZipArchive::GetEntry(int index, ZipEntry* out)
{
    if (!m_open || out == nullptr || index < -1 || index >= m_count)
        return ZIP_ARGS;
    CloseOpenEntry();
    if (index == -1)
    {
        *out = ZipEntry{};
        out->index = m_count;
        return ZIP_OK;
    }
    if (index != m_cachedIndex)
    {
        const ZipResult result = BuildEntry(index);
        if (result != ZIP_OK)
            return result;
    }
    *out = m_cached;
    return ZIP_OK;
}

ZipResult ZipArchive::FindEntry(const wchar_t* name, int* index, ZipEntry* out)
{
    if (!m_open || name == nullptr || index == nullptr)
        return ZIP_ARGS;
    *index = -1;
    if (out != nullptr)
    {
        *out = ZipEntry{};
        out->index = -1;
    }
    const std::string wanted = platform::ToUtf8(name);
    if (wanted.size() >= kLookupNameBytes)
        return ZIP_NOTFOUND;
    for (int i = 0; i < m_count; ++i)
    {
        unz_file_info64 info = {};
        char raw[kLookupNameBytes] = {};
        if (MoveTo(i) != ZIP_OK ||
            ::unzGetCurrentFileInfo64(m_reader, &info, raw, sizeof raw, nullptr, 0, nullptr, 0) != UNZ_OK)
            return ZIP_NOTFOUND;
        if (info.size_filename == wanted.size() && NamesMatchIgnoringAsciiCase(raw, wanted))
        {
            *index = i;
            return out != nullptr ? GetEntry(i, out) : ZIP_OK;
        }
    }
    return ZIP_NOTFOUND;
}

ZipResult ZipArchive::UnzipEntry(int index, const wchar_t* target)
{
    CloseOpenEntry();
    if (!m_open || target == nullptr || index < 0 || index >= m_count)
        return ZIP_ARGS;
    ZipEntry entry = {};
    ZipResult result = GetEntry(index, &entry);
    if (result == ZIP_OK)
        result = MoveTo(index);
    if (result != ZIP_OK)
        return result;
    if (m_cachedFacts.link)
        return ZIP_LINK;
    if (m_cachedFacts.encrypted && !m_password)
        return ZIP_PASSWORD;
    if (m_cachedFacts.size > kZipMaxTotalBytes)
        return ZIP_TOO_LARGE;
    if (entry.attr & FILE_ATTRIBUTE_DIRECTORY)
        return UnzipFolder(target);
    return UnzipFile(target);
}

ZipResult ZipArchive::CheckEntries(int* failedIndex)
{
    *failedIndex = -1;
    if (!m_open)
        return ZIP_ARGS;
    if (m_count > kZipMaxEntries)
        return ZIP_TOO_LARGE;
    std::uint64_t total = 0;
    std::vector<std::string> parts;
    for (int i = 0; i < m_count; ++i)
    {
        *failedIndex = i;
        EntryInfo info;
        ZipResult result = MoveTo(i);
        if (result == ZIP_OK)
            result = ReadCurrentInfo(&info);
        if (result != ZIP_OK)
            return result;
        if (info.facts.link)
            return ZIP_LINK;
        if (info.facts.encrypted && !m_password)
            return ZIP_PASSWORD;
        if (!SplitTarget(info.entry.name, &parts))
            return ZIP_UNSAFE_NAME;
        total += info.facts.size;
        if (total > kZipMaxTotalBytes)
            return ZIP_TOO_LARGE;
    }
    *failedIndex = -1;
    return ZIP_OK;
}

ZipResult ZipArchive::Close()
{
    CloseOpenEntry();
    if (m_reader != nullptr)
        ::unzClose(m_reader);
    m_reader = nullptr;
    m_open = false;
    m_count = 0;
    m_cachedIndex = -1;
    return ZIP_OK;
}

ZipResult ZipArchive::MoveTo(int index)
{
    CloseOpenEntry();
    if (index < m_readerIndex)
    {
        if (::unzGoToFirstFile(m_reader) != UNZ_OK)
            return ZIP_CORRUPT;
        m_readerIndex = 0;
    }
    while (m_readerIndex < index)
    {
        if (::unzGoToNextFile(m_reader) != UNZ_OK)
            return ZIP_CORRUPT;
        ++m_readerIndex;
    }
    return ZIP_OK;
}

ZipResult ZipArchive::ReadCurrentInfo(EntryInfo* out)
{
    unz_file_info64 info = {};
    char raw[kRawNameBytes] = {};
    if (::unzGetCurrentFileInfo64(m_reader, &info, raw, sizeof raw, nullptr, 0, nullptr, 0) != UNZ_OK)
        return ZIP_CORRUPT;
    // A name that does not fit, or hides a NUL, would be unpacked under another name than its own.
    if (info.size_filename >= sizeof raw || std::memchr(raw, '\0', info.size_filename) != nullptr)
        return ZIP_UNSAFE_NAME;
    const std::string rawName(raw, info.size_filename);
    const std::wstring name = CleanName(DecodeName(rawName, (info.flag & kFlagUtf8) != 0));
    if (name.size() >= MAX_PATH)
        return ZIP_UNSAFE_NAME;
    out->entry = ZipEntry{};
    out->entry.index = m_readerIndex;
    std::wmemcpy(out->entry.name, name.c_str(), name.size() + 1);
    out->entry.attr = AttributesOf(info.version, info.external_fa);
    if (!rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\'))
        out->entry.attr |= FILE_ATTRIBUTE_DIRECTORY;
    out->entry.comp_size = static_cast<DWORD>(info.compressed_size);
    out->entry.unc_size = static_cast<DWORD>(info.uncompressed_size);
    out->entry.atime = out->entry.ctime = out->entry.mtime = DosToUtc(info.dosDate);
    out->facts.mode = ModeOf(info.version, info.external_fa, out->entry.attr);
    out->facts.link = IsLinkEntry(info.version, info.external_fa);
    out->facts.encrypted = (info.flag & kFlagEncrypted) != 0;
    out->facts.size = info.uncompressed_size;
    return ZIP_OK;
}

ZipResult ZipArchive::ReadLocalExtra(std::vector<unsigned char>* extra)
{
    // Opening raw checks the local header against the central directory without inflating.
    if (::unzOpenCurrentFile2(m_reader, nullptr, nullptr, 1) != UNZ_OK)
        return ZIP_CORRUPT;
    m_openIndex = m_readerIndex;
    const int size = ::unzGetLocalExtrafield(m_reader, nullptr, 0);
    if (size < 0)
        return ZIP_READ;
    extra->assign(static_cast<size_t>(size), 0);
    if (size > 0 && ::unzGetLocalExtrafield(m_reader, extra->data(), static_cast<unsigned>(size)) != size)
        return ZIP_READ;
    CloseOpenEntry();
    return ZIP_OK;
}

ZipResult ZipArchive::BuildEntry(int index)
{
    EntryInfo info;
    std::vector<unsigned char> extra;
    ZipResult result = MoveTo(index);
    if (result == ZIP_OK)
        result = ReadCurrentInfo(&info);
    if (result == ZIP_OK)
        result = ReadLocalExtra(&extra);
    if (result != ZIP_OK)
        return result;
    ApplyTimeBlock(extra, &info.entry);
    m_cached = info.entry;
    m_cachedFacts = info.facts;
    m_cachedIndex = index;
    return ZIP_OK;
}

ZipResult ZipArchive::UnzipFolder(const std::wstring& target)
{
    std::vector<std::string> parts;
    if (HasDrivePrefix(target) || !SplitTarget(target, &parts))
        return ZIP_UNSAFE_NAME;
    const bool absolute = IsAbsoluteTarget(target);
    platform::UniqueFd folder;
    return OpenFolderChain(absolute ? "/" : BaseFolderUtf8(), parts, parts.size(), absolute, &folder);
}

ZipResult ZipArchive::UnzipFile(const std::wstring& target)
{
    std::vector<std::string> parts;
    if (HasDrivePrefix(target) || !SplitTarget(target, &parts))
        return ZIP_UNSAFE_NAME;
    const bool absolute = IsAbsoluteTarget(target);
    platform::UniqueFd folder;
    ZipResult result =
        OpenFolderChain(absolute ? "/" : BaseFolderUtf8(), parts, parts.size() - 1, absolute, &folder);
    if (result != ZIP_OK)
        return result;
    std::string tempName;
    platform::UniqueHandle file(platform::RegisterFileDescriptor(CreateTempAt(folder.get(), &tempName)));
    if (!file)
        return ZIP_NOFILE;
    // An empty entry is not opened in the reader and keeps the current time.
    result = m_cachedFacts.size > 0 ? CopyEntryData(file.get()) : ZIP_OK;
    if (result == ZIP_OK)
    {
        ::fchmod(platform::FileDescriptorOf(file.get()), m_cachedFacts.mode);
        // Linux has no creation time to set; a zero time (no calendar stamp) is left alone.
        if (m_cachedFacts.size > 0)
            SetFileTime(file.get(), &m_cached.ctime, &m_cached.atime, &m_cached.mtime);
    }
    file.reset();
    // rename replaces a file that a running program still uses; a link there is replaced, not followed.
    if (result == ZIP_OK &&
        ::renameat(folder.get(), tempName.c_str(), folder.get(), parts.back().c_str()) != 0)
        result = ZIP_NOFILE;
    if (result != ZIP_OK)
        ::unlinkat(folder.get(), tempName.c_str(), 0);
    return result;
}

ZipResult ZipArchive::CopyEntryData(HANDLE file)
{
    if (m_buffer.empty())
        m_buffer.resize(kCopyBufferSize);
    // Only an encrypted entry gets the password: a reader built without decryption refuses any
    // password, also for entries that need none.
    const bool decrypt = m_cachedFacts.encrypted && m_password;
    if (::unzOpenCurrentFilePassword(m_reader, decrypt ? m_password->c_str() : nullptr) != UNZ_OK)
        return m_cachedFacts.encrypted ? ZIP_PASSWORD : ZIP_CORRUPT;
    m_openIndex = m_readerIndex;
    std::uint64_t written = 0;
    for (;;)
    {
        const int count =
            ::unzReadCurrentFile(m_reader, m_buffer.data(), static_cast<unsigned>(m_buffer.size()));
        if (count < 0)
            return ZIP_FLATE;
        written += static_cast<std::uint64_t>(count);
        if (written > m_cachedFacts.size)
            return ZIP_FLATE;
        DWORD done = 0;
        if (count > 0 && !WriteFile(file, m_buffer.data(), static_cast<DWORD>(count), &done, nullptr))
            return ZIP_WRITE;
        if (::unzeof(m_reader) == 1)
            break;
        if (count == 0)
            return ZIP_FLATE;
    }
    const int closed = ::unzCloseCurrentFile(m_reader);
    m_openIndex = -1;
    if (closed == UNZ_CRCERROR)
        return ZIP_CRC;
    return written == m_cachedFacts.size ? ZIP_OK : ZIP_FLATE;
}

void ZipArchive::CloseOpenEntry()
{
    if (m_openIndex != -1 && m_reader != nullptr)
        ::unzCloseCurrentFile(m_reader);
    m_openIndex = -1;
}

std::string ZipArchive::BaseFolderUtf8() const
{
    std::string base = platform::ToUtf8(m_baseDir);
    if (!base.empty() && base.back() == '\\')
        base.back() = '/';
    return base;
}

ZipHandle* OpenZipArchive(const wchar_t* path, const char* password, ZipResult* result)
{
    auto* archive = new ZipArchive(password);
    const ZipResult opened = archive->Open(path);
    if (result != nullptr)
        *result = opened;
    if (opened != ZIP_OK)
    {
        delete archive;
        return nullptr;
    }
    return new ZipHandle{kZipHandleArchive, archive};
}

ZipResult CloseZipArchive(ZipHandle* handle)
{
    if (handle == nullptr)
        return ZIP_ARGS;
    if (handle->kind != kZipHandleArchive)
        return ZIP_WRONG_KIND;
    const ZipResult result = handle->archive->Close();
    delete handle->archive;
    delete handle;
    return result;
}
