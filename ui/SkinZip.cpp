#include "ui/SkinZip.h"

#include "platform/Utf.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <unzip.h>

namespace DuiLib
{
struct ZipMemory
{
    std::vector<BYTE> bytes;
    ZPOS64_T pos = 0;
};

namespace
{
// Skins are small; an entry claiming more than this is not read.
constexpr unsigned long long kMaxEntrySize = 256ull << 20;

voidpf ZCALLBACK MemOpen(voidpf opaque, const void*, int) noexcept
{
    static_cast<ZipMemory*>(opaque)->pos = 0;
    return opaque;
}

uLong ZCALLBACK MemRead(voidpf, voidpf stream, void* buf, uLong size) noexcept
{
    auto* memory = static_cast<ZipMemory*>(stream);
    const ZPOS64_T available = memory->bytes.size() - memory->pos;
    const uLong count = static_cast<uLong>(std::min<ZPOS64_T>(size, available));
    std::memcpy(buf, memory->bytes.data() + memory->pos, count);
    memory->pos += count;
    return count;
}

uLong ZCALLBACK MemWrite(voidpf, voidpf, const void*, uLong) noexcept
{
    return 0;
}

ZPOS64_T ZCALLBACK MemTell(voidpf, voidpf stream) noexcept
{
    return static_cast<ZipMemory*>(stream)->pos;
}

long ZCALLBACK MemSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) noexcept
{
    auto* memory = static_cast<ZipMemory*>(stream);
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = memory->pos;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = memory->bytes.size();
    if (offset > memory->bytes.size() - std::min<ZPOS64_T>(base, memory->bytes.size()))
        return -1;
    memory->pos = base + offset;
    return 0;
}

int ZCALLBACK MemClose(voidpf, voidpf) noexcept
{
    return 0;
}

int ZCALLBACK MemError(voidpf, voidpf) noexcept
{
    return 0;
}

std::wstring EntryName(unzFile zip, unz_file_info64& info)
{
    char name[1024];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK)
        return std::wstring();
    return platform::FromUtf8(name);
}
} // namespace

CSkinZip::CSkinZip() = default;

CSkinZip::~CSkinZip()
{
    Close();
}

void CSkinZip::Close()
{
    if (m_zip)
        unzClose(static_cast<unzFile>(m_zip));
    m_zip = nullptr;
    m_index.clear();
    m_memory.reset();
}

bool CSkinZip::Open(const void* data, std::size_t size)
{
    std::lock_guard<std::mutex> guard(m_lock);
    Close();
    if (data == nullptr || size == 0)
        return false;
    m_memory = std::make_unique<ZipMemory>();
    const auto* bytes = static_cast<const BYTE*>(data);
    m_memory->bytes.assign(bytes, bytes + size);
    zlib_filefunc64_def funcs{};
    funcs.zopen64_file = &MemOpen;
    funcs.zread_file = &MemRead;
    funcs.zwrite_file = &MemWrite;
    funcs.ztell64_file = &MemTell;
    funcs.zseek64_file = &MemSeek;
    funcs.zclose_file = &MemClose;
    funcs.zerror_file = &MemError;
    funcs.opaque = m_memory.get();
    m_zip = unzOpen2_64("skin", &funcs);
    if (m_zip == nullptr)
    {
        m_memory.reset();
        return false;
    }
    BuildIndex();
    return true;
}

bool CSkinZip::OpenFile(const std::wstring& path)
{
    std::ifstream in(platform::ToUtf8(path), std::ios::binary);
    if (!in)
        return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Open(bytes.data(), bytes.size());
}

void CSkinZip::BuildIndex()
{
    auto* zip = static_cast<unzFile>(m_zip);
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip))
    {
        unz_file_info64 info{};
        const std::wstring name = NormalizeName(EntryName(zip, info));
        if (name.empty() || name.back() == L'/')
            continue;
        unz64_file_pos pos{};
        if (unzGetFilePos64(zip, &pos) != UNZ_OK)
            continue;
        m_index.emplace(name, EntryPos{pos.pos_in_zip_directory, pos.num_of_file, info.uncompressed_size});
    }
}

std::wstring CSkinZip::NormalizeName(const std::wstring& name)
{
    std::wstring result = name;
    std::replace(result.begin(), result.end(), L'\\', L'/');
    while (result.compare(0, 2, L"./") == 0)
        result.erase(0, 2);
    if (result.empty() || result.front() == L'/' || result.find(L':') != std::wstring::npos)
        return std::wstring();
    if (ClimbsOut(result))
        return std::wstring();
    for (auto& ch : result)
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    return result;
}

bool CSkinZip::ClimbsOut(const std::wstring& name)
{
    std::size_t start = 0;
    while (start <= name.size())
    {
        const std::size_t end = std::min(name.find(L'/', start), name.size());
        if (name.compare(start, end - start, L"..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool CSkinZip::Contains(LPCWSTR name) const
{
    return name != nullptr && m_index.count(NormalizeName(name)) != 0;
}

bool CSkinZip::Read(LPCWSTR name, std::vector<BYTE>& data)
{
    std::lock_guard<std::mutex> guard(m_lock);
    data.clear();
    if (m_zip == nullptr || name == nullptr)
        return false;
    const auto found = m_index.find(NormalizeName(name));
    if (found == m_index.end() || found->second.size > kMaxEntrySize)
        return false;
    auto* zip = static_cast<unzFile>(m_zip);
    unz64_file_pos pos{found->second.posInDir, found->second.numFile};
    if (unzGoToFilePos64(zip, &pos) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    data.resize(static_cast<std::size_t>(found->second.size));
    const int read =
        data.empty() ? 0 : unzReadCurrentFile(zip, data.data(), static_cast<unsigned>(data.size()));
    // A CRC mismatch is reported by the close: damaged data is not handed out.
    const int closed = unzCloseCurrentFile(zip);
    if (read != static_cast<int>(data.size()) || closed != UNZ_OK)
    {
        data.clear();
        return false;
    }
    return true;
}
} // namespace DuiLib
