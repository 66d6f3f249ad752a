#include "main/HevcThreads.h"

#include "main/UsableCores.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <new>
#include <string>

namespace
{
constexpr const char* kStartName = "de265_start_worker_threads";
// The decoder refuses more workers than this.
constexpr int kDecoderThreadLimit = 32;

using StartWorkers = int (*)(void* decoder, int threads);

std::atomic<int> g_raisedStarts{0};

// Called by the loader: nothing may be thrown through it. Out of memory, the search just ends
// without a name.
int FindDecoderLibrary(dl_phdr_info* info, size_t, void* found) noexcept
{
    const char* name = info->dlpi_name;
    if (name == nullptr || std::strstr(name, "/libde265.so") == nullptr)
        return 0;
    try
    {
        *static_cast<std::string*>(found) = name;
    }
    catch (const std::bad_alloc&)
    {
        static_cast<std::string*>(found)->clear();
    }
    return 1;
}

// The decoder's own function. libde265 is loaded by ImageMagick's HEIC coder, privately, so it
// is looked up in the library itself rather than in the program's global scope.
StartWorkers DecoderStart()
{
    if (void* next = ::dlsym(RTLD_NEXT, kStartName))
        return reinterpret_cast<StartWorkers>(next);
    std::string path;
    ::dl_iterate_phdr(FindDecoderLibrary, &path);
    void* library = path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    void* start = library != nullptr ? ::dlsym(library, kStartName) : nullptr;
    // The reference taken by RTLD_NOLOAD is dropped; the coder keeps the library loaded.
    if (library != nullptr)
        ::dlclose(library);
    return reinterpret_cast<StartWorkers>(start);
}
} // namespace

int HevcThreads::PerDecoder()
{
    return std::min(UsableCores(), kDecoderThreadLimit);
}

int HevcThreads::RaisedStarts()
{
    return g_raisedStarts.load();
}

// Replaces libde265's function of the same name for the whole process (see the header).
extern "C" __attribute__((visibility("default"))) int de265_start_worker_threads(void* decoder, int threads)
{
    static const StartWorkers start = DecoderStart();
    if (start == nullptr)
        return 0; // DE265_OK: a decoder without workers decodes on the caller's thread
    const int wanted = std::max(threads, HevcThreads::PerDecoder());
    if (wanted > threads)
        g_raisedStarts.fetch_add(1);
    return start(decoder, wanted);
}
