#include "main/RuntimeStart.h"
#include "main/UsableCores.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

using testsupport::ReadFile;
using testsupport::TempDir;

namespace
{
// Runs the start-up helper with exactly the given environment and returns its record: one
// "start <pid>" line per start of its image, then one "run ..." line.
std::string RunHelper(const TempDir& dir, std::vector<std::string> environment)
{
    const std::string record = dir / "record";
    ::unlink(record.c_str());
    environment.push_back("HOME=" + dir.path());
    testsupport::ChildProcess helper;
    EXPECT_TRUE(helper.Start("main_runtime_start", {record},
                             {.environment = environment, .onlyGivenEnvironment = true}));
    EXPECT_EQ(testsupport::ExitCode(helper.Wait()), 0);
    const std::string pidText = std::to_string(helper.Pid());
    std::string text = ReadFile(record);
    // the process id is the same across the re-execution; take it out so records compare
    for (size_t at = text.find(pidText); at != std::string::npos; at = text.find(pidText))
        text.replace(at, pidText.size(), "P");
    return text;
}
} // namespace

TEST(RuntimeStart, ReexecutesOnceWithItsSettingsAndHandsOnTheOriginalEnvironment)
{
    TempDir dir("runtime-start");
    const std::string ours = "magick_threads=" + std::to_string(RuntimeThreadCount());
    const std::string openMpDefault = "magick_threads=" + std::to_string(UsableCores());
    // the process keeps its program's name (cut to 15 bytes by the kernel), never "exe"
    const std::string name = " name=main_runtime_st\n";

    // Nothing set: one re-execution; the heap is not advised for huge pages (their zeroing made
    // every conversion slower than the command line), large blocks stay mappings of their own
    // while a wide image's row buffers come from the heap, ImageMagick may use four threads a
    // core, and the program's own children would see none of it.
    EXPECT_EQ(RunHelper(dir, {}), "start P\nstart P\nrun P huge=0 apart=1 row_apart=0 " + ours +
                                      " tunables=(none) threads=(none) markers=0" + name);

    // Other tunables of the user's are kept, beside ours and for the children; his thread count
    // stands.
    EXPECT_EQ(RunHelper(dir, {"GLIBC_TUNABLES=glibc.malloc.tcache_count=4", "OMP_NUM_THREADS=3"}),
              "start P\nstart P\nrun P huge=0 apart=1 row_apart=0 magick_threads=3 "
              "tunables=glibc.malloc.tcache_count=4 threads=3 markers=0" +
                  name);

    // A tunable the user set himself is left alone (his huge pages too); with every setting
    // his, there is no re-execution.
    EXPECT_EQ(RunHelper(dir, {"GLIBC_TUNABLES=glibc.malloc.hugetlb=1"}),
              "start P\nstart P\nrun P huge=1 apart=1 row_apart=0 " + ours +
                  " tunables=glibc.malloc.hugetlb=1 threads=(none) markers=0" + name);
    const std::string his = "glibc.malloc.mmap_threshold=8388608:glibc.malloc.trim_threshold=131072";
    EXPECT_EQ(RunHelper(dir, {"GLIBC_TUNABLES=" + his, "OMP_NUM_THREADS=2"}),
              "start P\nrun P huge=0 apart=0 row_apart=0 magick_threads=2 tunables=" + his +
                  " threads=2 markers=0" + name);

    // A start that already went through the re-execution never executes again, even when the
    // settings did not survive it (glibc drops GLIBC_TUNABLES for secure-mode programs).
    EXPECT_EQ(RunHelper(dir, {"PICTAVO_START_TUNABLES=-"}),
              "start P\nrun P huge=0 apart=0 row_apart=0 " + openMpDefault +
                  " tunables=(none) threads=(none) markers=0" + name);
}
