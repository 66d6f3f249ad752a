// Unpacks a package of 2,000 files (about 200 MB, half compressible text, half random bytes)
// with the updater's extractor and with Debian's unzip, each into a fresh folder, and prints
// both times and their ratio. Usage: bench_unzip [work folder]
#include "update/ZipManager.h"

#include "platform/Utf.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace
{
namespace fs = std::filesystem;

constexpr int kFiles = 2000;
constexpr size_t kAverageBytes = 100 * 1000;

std::string Content(int index, std::mt19937_64& random)
{
    // sizes from 10 kB to 190 kB, 100 kB on average
    const size_t size = kAverageBytes / 10 + (static_cast<size_t>(index) * 7919 % 1801) * 100;
    std::string bytes(size, '\0');
    if (index % 2 == 0)
    {
        for (size_t i = 0; i < size; i += 8)
        {
            const auto value = random();
            for (size_t k = 0; k < 8 && i + k < size; ++k)
                bytes[i + k] = static_cast<char>(value >> (8 * k));
        }
        return bytes;
    }
    const std::string line = "pixel row " + std::to_string(index) + ": 0 12 255 128 64 32 16 8 4 2 1\n";
    for (size_t i = 0; i < size; ++i)
        bytes[i] = line[(i + i / 997) % line.size()];
    return bytes;
}

// Returns the number of bytes written.
size_t MakeSources(const fs::path& folder)
{
    std::mt19937_64 random(20240601);
    size_t total = 0;
    for (int i = 0; i < kFiles; ++i)
    {
        const fs::path file =
            folder / ("dir" + std::to_string(i % 40)) / ("file" + std::to_string(i) + ".bin");
        fs::create_directories(file.parent_path());
        const std::string bytes = Content(i, random);
        std::ofstream(file, std::ios::binary) << bytes;
        total += bytes.size();
    }
    return total;
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

template <class F> double Seconds(F&& work, bool* ok)
{
    const auto start = std::chrono::steady_clock::now();
    *ok = work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool UnzipWithManager(const fs::path& archive, const fs::path& target)
{
    CZipManager zip;
    return zip.OpenZip(platform::FromUtf8(archive.string()).c_str(), nullptr) &&
           zip.SetUnzipDir(platform::FromUtf8(target.string()).c_str()) && zip.UnzipAll();
}
} // namespace

int main(int argc, char** argv)
{
    const char* tmp = std::getenv("TMPDIR");
    const fs::path work =
        fs::path(argc > 1 ? argv[1] : (tmp != nullptr && *tmp ? tmp : "/tmp")) / "pictavo-unzip-bench";
    fs::remove_all(work);
    fs::create_directories(work / "src");
    const size_t total = MakeSources(work / "src");
    const fs::path archive = work / "package.zip";
    if (!Run("cd '" + (work / "src").string() + "' && zip -q -r '" + archive.string() + "' ."))
        return 1;
    Run("cat '" + archive.string() + "' > /dev/null"); // both runs read the archive from the page cache

    bool managerOk = false;
    bool unzipOk = false;
    const double manager = Seconds([&] { return UnzipWithManager(archive, work / "manager"); }, &managerOk);
    const double unzip = Seconds(
        [&] { return Run("unzip -o -q '" + archive.string() + "' -d '" + (work / "unzip").string() + "'"); },
        &unzipOk);
    std::printf("archive: %d files, %.1f MB unpacked, %.1f MB packed\n", kFiles,
                static_cast<double>(total) / 1e6, static_cast<double>(fs::file_size(archive)) / 1e6);
    std::printf("CZipManager::UnzipAll: %.3f s%s\n", manager, managerOk ? "" : " (FAILED)");
    std::printf("unzip -o -q:           %.3f s%s\n", unzip, unzipOk ? "" : " (FAILED)");
    std::printf("ratio (ours / unzip):  %.2f\n", manager / unzip);
    const bool same =
        Run("diff -rq '" + (work / "manager").string() + "' '" + (work / "unzip").string() + "'");
    std::printf("unpacked trees %s\n", same ? "identical" : "DIFFER");
    fs::remove_all(work);
    return managerOk && unzipOk && same ? 0 : 1;
}
