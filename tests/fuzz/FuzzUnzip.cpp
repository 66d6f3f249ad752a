// Arbitrary bytes as an update package: unpacking never crashes, never creates anything outside
// the base folder and never leaves a symbolic link inside it. The base folder sits alone in a
// fresh parent, so anything written beside it shows.
#include "update/ZipManager.h"

#include "platform/Utf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool g_sawLink = false;

std::string MakeTempDir(const std::string& parent)
{
    std::string pattern = parent + "/fuzz-unzip-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

void RemoveTree(const std::string& path)
{
    ::nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

const std::string& WorkDir()
{
    static const std::string work = [] {
        const char* tmp = std::getenv("TMPDIR");
        return MakeTempDir(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
    }();
    static const int cleanup = std::atexit([] { RemoveTree(work); });
    (void)cleanup;
    return work;
}

int NoteLink(const char*, const struct stat* st, int type, struct FTW*)
{
    if (type == FTW_SL || S_ISLNK(st->st_mode))
        g_sawLink = true;
    return 0;
}

bool HoldsOnlyBase(const std::string& parent)
{
    DIR* dir = ::opendir(parent.c_str());
    if (dir == nullptr)
        return false;
    bool only = true;
    while (const dirent* entry = ::readdir(dir))
    {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0 &&
            std::strcmp(entry->d_name, "base") != 0)
            only = false;
    }
    ::closedir(dir);
    return only;
}

void WriteArchive(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

void Exercise(const std::string& archive, const std::string& base)
{
    CZipManager zip;
    if (!zip.OpenZip(platform::FromUtf8(archive).c_str(), nullptr))
        return;
    int count = 0;
    wchar_t name[MAX_PATH] = {};
    if (zip.GetItemCount(&count) && count > 0 && zip.GetItemName(count - 1, name))
        zip.GetItemName(0, name);
    if (zip.SetUnzipDir(platform::FromUtf8(base).c_str()))
        zip.UnzipAll();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string archive = WorkDir() + "/in.zip";
    WriteArchive(archive, data, size);
    const std::string parent = MakeTempDir(WorkDir());
    const std::string base = parent + "/base";
    Exercise(archive, base);
    g_sawLink = false;
    ::nftw(base.c_str(), NoteLink, 16, FTW_PHYS);
    if (!HoldsOnlyBase(parent) || g_sawLink)
        std::abort();
    RemoveTree(parent);
    return 0;
}
