// One copy per program with real windows: a second copy ends at once with 0 and the first
// copy's window comes forward on the test display.
#include "common/dialog/SingleInstance.h"
#include "tests/e2e/DisplayTest.h"
#include "tests/e2e/Watchdog.h"
#include "tests/e2e/XServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace
{
class SingleInstanceE2eTest : public DisplayTest
{
protected:
    // Starts the first copy in the background; its output (and "exit=<code>") goes to a file.
    std::string StartFirst(const char* state)
    {
        const std::string out = m_dir / (std::string(state) + ".out");
        const std::string helper = testsupport::TestBinaryDir() + "/common_instance_host";
        XServer::Run("(" + helper + " MAIN Pictavo " + state + " 15; echo exit=$?) >'" + out + "' 2>&1 &");
        return out;
    }

    // Waits until the file holds text; false after the time.
    static bool WaitFor(const std::string& file, const std::string& text, int timeoutMs = 8000)
    {
        return WaitUntil([&] { return testsupport::ReadFile(file).find(text) != std::string::npos; },
                         timeoutMs);
    }

    static bool Visible()
    {
        const std::string title = testsupport::Narrow(ProgramWindowTitle(PictavoProgram::MAIN, L"Pictavo"));
        return !XServer::Output("xdotool search --onlyvisible --name '^" + title + "$'").empty();
    }

    // How fast the second copy ends is no business of a test; that it ends is.
    static int RunSecond()
    {
        Watchdog watchdog(20, "the second copy's end");
        return testsupport::RunHelperProgram("common_instance_host", {"MAIN", "Pictavo", "shown"});
    }

    testsupport::TempDir m_dir{"instance"};
};
} // namespace

TEST_F(SingleInstanceE2eTest, ASecondCopyShowsTheHiddenFirstAndEnds)
{
    const std::string out = StartFirst("hidden");
    ASSERT_TRUE(WaitFor(out, "ready\n"));
    EXPECT_FALSE(Visible());
    EXPECT_EQ(RunSecond(), 0);
    ASSERT_TRUE(WaitFor(out, "shown\n")) << testsupport::ReadFile(out);
    EXPECT_TRUE(Visible()) << "the first copy's window is not on the display";
    ASSERT_TRUE(WaitFor(out, "exit=")) << testsupport::ReadFile(out);
    EXPECT_NE(testsupport::ReadFile(out).find("exit=0"), std::string::npos) << testsupport::ReadFile(out);
}

TEST_F(SingleInstanceE2eTest, ASecondCopyRaisesAShownFirst)
{
    const std::string out = StartFirst("shown");
    ASSERT_TRUE(WaitFor(out, "ready\n"));
    EXPECT_EQ(RunSecond(), 0);
    ASSERT_TRUE(WaitFor(out, "raised")) << testsupport::ReadFile(out);
    EXPECT_TRUE(Visible());
    ASSERT_TRUE(WaitFor(out, "exit="));
    EXPECT_NE(testsupport::ReadFile(out).find("exit=0"), std::string::npos) << testsupport::ReadFile(out);
}
