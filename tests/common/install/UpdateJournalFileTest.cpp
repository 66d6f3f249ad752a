// The update journal is read at every start of Pictavo from the package folder: a FIFO or a
// link planted in its place is refused at once, never waited on or followed.
#include "common/install/UpdateJournal.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(UpdateJournalFile, AFifoOrALinkInItsPlaceIsNoJournal)
{
    testsupport::TempDir install("install");
    testsupport::TempDir elsewhere("elsewhere");
    const std::string journal = install / "UpdatePackage/journal";
    fs::create_directories(install / "UpdatePackage");
    // A journal of a committed update elsewhere: followed, it would be finished here.
    const std::string decoy = elsewhere / "journal";
    testsupport::WriteFile(decoy, "pictavo-update 1\nstate commit\nversion 9.9\nversion_str 9.9.0.0\n");

    ASSERT_EQ(0, ::mkfifo(journal.c_str(), 0600));
    EXPECT_EQ(CUpdateJournal::Outcome::Failed, CUpdateJournal(install.wpath()).Recover());
    fs::remove(journal);
    fs::create_symlink(decoy, journal);
    EXPECT_EQ(CUpdateJournal::Outcome::Failed, CUpdateJournal(install.wpath()).Recover());
    EXPECT_TRUE(fs::is_symlink(journal));
}
