#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/wait.h>
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
    const std::string helper = testsupport::TestBinaryDir() + "/main_hugepage_start";
    environment.push_back("HOME=" + dir.path());
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(record.c_str()), nullptr};
        ::execve(helper.c_str(), argv, envp.data());
        ::_exit(127);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string pidText = std::to_string(pid);
    std::string text = ReadFile(record);
    // the process id is the same across the re-execution; take it out so records compare
    for (size_t at = text.find(pidText); at != std::string::npos; at = text.find(pidText))
        text.replace(at, pidText.size(), "P");
    return text;
}
} // namespace

TEST(HugePageStart, ReexecutesOnceWithHugePagesAndHandsOnTheOriginalEnvironment)
{
    TempDir dir("hugepages");

    // Nothing set: one re-execution, the heap is advised for huge pages, and the program's
    // own children would see no GLIBC_TUNABLES and no marker.
    EXPECT_EQ(RunHelper(dir, {}), "start P\nstart P\nrun P huge=1 tunables=(none) marker=0\n");

    // Other tunables of the user's are kept, beside ours and for the children.
    EXPECT_EQ(RunHelper(dir, {"GLIBC_TUNABLES=glibc.malloc.tcache_count=4"}),
              "start P\nstart P\nrun P huge=1 tunables=glibc.malloc.tcache_count=4 marker=0\n");

    // The user's own choice of the huge-page tunable is left alone: no re-execution.
    EXPECT_EQ(RunHelper(dir, {"GLIBC_TUNABLES=glibc.malloc.hugetlb=0"}),
              "start P\nrun P huge=0 tunables=glibc.malloc.hugetlb=0 marker=0\n");

    // A start that already went through the re-execution never executes again, even when the
    // tunable did not survive it (glibc drops GLIBC_TUNABLES for secure-mode programs).
    EXPECT_EQ(RunHelper(dir, {"PICTAVO_HUGEPAGE_START=-"}),
              "start P\nrun P huge=0 tunables=(none) marker=0\n");
}
