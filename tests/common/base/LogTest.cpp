#include "common/base/Log.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace testsupport;

namespace fs = std::filesystem;

namespace
{
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// "[tid][yyyy-mm-dd hh:mm:ss.mmm][TAG]" followed by the text.
std::string TextOf(const std::string& line, const std::string& tag)
{
    static const std::regex head(R"(^\[\d+\]\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}\]\[([A-Z]+)\])");
    std::smatch match;
    if (!std::regex_search(line, match, head) || match[1] != tag)
        return "<malformed: " + line + ">";
    return match.suffix();
}

void MakeLogs(const std::string& dir, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        WriteFile(dir + "/" + name, "old\n");
}
} // namespace

TEST(Log, FiltersByLevelAndTagsUnknownLevelsDebug)
{
    TempDir dir;
    CLog log;
    // Lines queued before the writer runs wait for it.
    log.WriteLog(LOG_LEVEL_INFO, L"LogTest.cpp", __LINE__, L"Test", L"early %d", 1);
    log.Init(dir.path().c_str(), "levels.log");
    log.WriteLog(LOG_LEVEL_DEBUG, L"LogTest.cpp", __LINE__, L"Test", L"dropped");
    log.WriteLog(LOG_LEVEL_INFO, L"LogTest.cpp", __LINE__, L"Test", L"info %s", L"文本");
    log.WriteLog(LOG_LEVEL_WARN, L"LogTest.cpp", __LINE__, L"Test", L"warn");
    log.WriteLog(LOG_LEVEL_ERROR, L"LogTest.cpp", __LINE__, L"Test", L"error");
    log.WriteLog(7, L"LogTest.cpp", __LINE__, L"Test", L"seven");
    log.m_nLevel = LOG_LEVEL_DEBUG;
    log.WriteLog(LOG_LEVEL_DEBUG, L"LogTest.cpp", __LINE__, L"Test", L"debug kept");
    ASSERT_TRUE(log.Stop());
    EXPECT_FALSE(log.Stop());

    const auto lines = Lines(ReadFile(dir / "levels.log"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(TextOf(lines[0], "INFO"), "early 1");
    EXPECT_EQ(TextOf(lines[1], "INFO"), "info 文本");
    EXPECT_EQ(TextOf(lines[2], "WARN"), "warn");
    EXPECT_EQ(TextOf(lines[3], "ERROR"), "error");
    EXPECT_EQ(TextOf(lines[4], "DEBUG"), "seven");
    EXPECT_EQ(TextOf(lines[5], "DEBUG"), "debug kept");
    // Linux line ends: a bare "\n".
    EXPECT_EQ(ReadFile(dir / "levels.log").find('\r'), std::string::npos);
}

TEST(Log, CutsTheTextTo3999Characters)
{
    TempDir dir;
    CLog log;
    log.Init(dir.path().c_str(), "long.log");
    const std::wstring ascii(5000, L'a');
    std::wstring chinese;
    for (int i = 0; i < 4500; ++i)
        chinese += i % 2 ? L'图' : L'片';
    log.WriteLog(LOG_LEVEL_INFO, L"LogTest.cpp", __LINE__, L"Test", L"%s", ascii.c_str());
    log.WriteLog(LOG_LEVEL_INFO, L"LogTest.cpp", __LINE__, L"Test", L"%s", chinese.c_str());
    log.WriteLog(LOG_LEVEL_INFO, L"LogTest.cpp", __LINE__, L"Test", L"%s!", std::wstring(3998, L'b').c_str());
    ASSERT_TRUE(log.Stop());

    const auto lines = Lines(ReadFile(dir / "long.log"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(TextOf(lines[0], "INFO"), std::string(3999, 'a'));
    EXPECT_EQ(Wide(TextOf(lines[1], "INFO")), chinese.substr(0, 3999));
    EXPECT_EQ(TextOf(lines[2], "INFO"), std::string(3998, 'b') + "!");
}

TEST(Log, KeepsEveryLineOfManyThreadsWholeAtStop)
{
    TempDir dir;
    CLog log;
    log.Init(dir.path().c_str(), "threads.log");
    constexpr int kThreads = 8;
    constexpr int kLines = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&log, t] {
            for (int n = 0; n < kLines; ++n)
                log.WriteLog(LOG_LEVEL_WARN, L"LogTest.cpp", __LINE__, L"Test", L"t=%d n=%d %s|end", t, n,
                             std::wstring(static_cast<size_t>(n % 97), L'x').c_str());
        });
    for (std::thread& thread : threads)
        thread.join();
    // Stop right after the last line: nothing may be left in the queue.
    ASSERT_TRUE(log.Stop());

    std::set<std::pair<int, int>> seen;
    for (const std::string& line : Lines(ReadFile(dir / "threads.log")))
    {
        int t = -1;
        int n = -1;
        const std::string text = TextOf(line, "WARN");
        ASSERT_EQ(std::sscanf(text.c_str(), "t=%d n=%d", &t, &n), 2) << line;
        ASSERT_EQ(text, "t=" + std::to_string(t) + " n=" + std::to_string(n) + " " +
                            std::string(static_cast<size_t>(n % 97), 'x') + "|end");
        EXPECT_TRUE(seen.insert({t, n}).second) << line;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

TEST(Log, SendsLinesToTheDebugChannelWithoutAFile)
{
    std::vector<std::wstring> received;
    std::mutex lock;
    platform::SetDebugSink([&](const std::wstring& text) {
        std::lock_guard<std::mutex> guard(lock);
        received.push_back(text);
    });
    {
        CLog log;
        EXPECT_FALSE(log.Stop());
        log.m_bDebugOutput = true;
        ASSERT_TRUE(log.Start());
        log.WriteLog(LOG_LEVEL_INFO, L"Uninst.cpp", __LINE__, L"WinMain", L"卸载 %d", 1);
        log.WriteLog(LOG_LEVEL_ERROR, L"Uninst.cpp", __LINE__, L"WinMain", L"two");
        ASSERT_TRUE(log.Stop());
    }
    platform::SetDebugSink({});
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(TextOf(testsupport::Narrow(received[0]), "INFO"), "卸载 1\n");
    EXPECT_EQ(TextOf(testsupport::Narrow(received[1]), "ERROR"), "two\n");
}

TEST(Log, AppendsToTheDatedFileAcrossRuns)
{
    TempDir dir;
    const std::string logDir = dir / "log/nested";
    ASSERT_EQ(RunHelperProgram("common_log_writer", {logDir, "first run"}), 0);
    ASSERT_EQ(RunHelperProgram("common_log_writer", {logDir, "second run 第二"}), 0);

    CLog namer;
    const std::string name = namer.GetLogFileName();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{4}-\d{2}-\d{2}\.log)"))) << name;
    const auto lines = Lines(ReadFile(logDir + "/" + name));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(TextOf(lines[0], "INFO"), "first run");
    EXPECT_EQ(TextOf(lines[1], "INFO"), "second run 第二");
}

TEST(Log, NeverWritesThroughALinkNorWaitsOnAFifo)
{
    TempDir dir;
    const std::string decoy = dir / "decoy.txt";
    WriteFile(decoy, "the user's own file\n");
    ASSERT_EQ(0, ::symlink(decoy.c_str(), (dir / "linked.log").c_str()));
    ASSERT_EQ(0, ::symlink((dir / "nowhere.txt").c_str(), (dir / "dangling.log").c_str()));
    ASSERT_EQ(0, ::mkfifo((dir / "fifo.log").c_str(), 0600));
    for (const char* name : {"linked.log", "dangling.log", "fifo.log"})
    {
        SCOPED_TRACE(name);
        // A FIFO would block the open until a reader came: the test would hang here.
        CLog log;
        log.Init(dir.path().c_str(), name);
        log.WriteLog(LOG_LEVEL_ERROR, L"LogTest.cpp", __LINE__, L"Test", L"a line");
        EXPECT_TRUE(log.Stop());
    }
    EXPECT_EQ("the user's own file\n", ReadFile(decoy));
    EXPECT_FALSE(Exists(dir / "nowhere.txt"));
    EXPECT_TRUE(fs::is_symlink(dir / "linked.log"));
}

TEST(Log, PrunesToTheSevenNewestLogs)
{
    TempDir dir;
    const std::string nine = dir / "nine";
    fs::create_directories(nine);
    std::vector<std::string> names;
    for (int day = 1; day <= 9; ++day)
        names.push_back("2001-12-0" + std::to_string(day) + ".log");
    MakeLogs(nine, names);
    {
        CLog log;
        log.Init(nine.c_str(), nullptr);
        log.Stop();
    }
    EXPECT_FALSE(Exists(nine + "/2001-12-01.log"));
    EXPECT_FALSE(Exists(nine + "/2001-12-02.log"));
    for (int day = 3; day <= 9; ++day)
        EXPECT_TRUE(Exists(nine + "/2001-12-0" + std::to_string(day) + ".log")) << day;
    CLog namer;
    EXPECT_TRUE(Exists(nine + "/" + namer.GetLogFileName()));

    // A non-dated ".log" name reads as zeros and goes first; names in sub-folders count and
    // sort with the rest, but only files of the log folder itself are deleted.
    const std::string mixed = dir / "mixed";
    fs::create_directories(mixed + "/sub");
    MakeLogs(mixed, {"2001-12-03.log", "2001-12-04.log", "2001-12-05.log", "2001-12-06.log", "2001-12-07.log",
                     "2001-12-08.log", "crash.log", "notes.txt", "2001-12-02.log.bak"});
    MakeLogs(mixed + "/sub", {"2001-12-10.log", "2001-11-01.log"});
    {
        CLog log;
        log.Init(mixed.c_str(), nullptr);
        log.Stop();
    }
    for (const char* kept :
         {"2001-12-03.log", "2001-12-04.log", "2001-12-05.log", "2001-12-06.log", "2001-12-07.log",
          "2001-12-08.log", "notes.txt", "sub/2001-12-10.log", "sub/2001-11-01.log"})
        EXPECT_TRUE(Exists(mixed + "/" + kept)) << kept;
    for (const char* gone : {"crash.log", "2001-12-02.log.bak"})
        EXPECT_FALSE(Exists(mixed + "/" + gone)) << gone;
}

TEST(Log, CompareLogDateOrdersNewestFirst)
{
    EXPECT_TRUE(CompareLogDate("2026-12-09.log", "2026-12-08.log"));
    EXPECT_FALSE(CompareLogDate("2026-12-08.log", "2026-12-09.log"));
    EXPECT_TRUE(CompareLogDate("2027-01-01.log", "2026-12-31.log"));
    EXPECT_TRUE(CompareLogDate("2026-12-08-1.log", "2026-12-08.log"));
    EXPECT_TRUE(CompareLogDate("2026-12-08.log", "crash.log"));
    EXPECT_FALSE(CompareLogDate("crash.log", "other.log"));
    EXPECT_FALSE(CompareLogDate("2026-12-08.log", "2026-12-08.log"));
    // An overlong number stays in range instead of overflowing.
    EXPECT_TRUE(CompareLogDate("99999999999999999999-1.log", "2026-12-08.log"));
}
