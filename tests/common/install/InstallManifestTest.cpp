// The install manifest: what it may hold, an over-install adding to it, and a damaged or
// altered one never naming anything outside the install folder.
#include "common/install/InstallManifest.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::TempDir;

TEST(InstallManifest, SavedListsReadBackAndUnsafeLinesAreDropped)
{
    TempDir install("Pictavo");
    CInstallManifest manifest;
    EXPECT_FALSE(manifest.Load(install.wpath())) << "no manifest yet";
    EXPECT_TRUE(manifest.AddFolder(L"magick"));
    EXPECT_TRUE(manifest.AddFile(L"magick/policy.xml"));
    EXPECT_TRUE(manifest.AddFile(L"名字 with blank"));
    EXPECT_TRUE(manifest.AddFile(L"magick/policy.xml")) << "a repeat is no error";
    for (const wchar_t* unsafe : {L"", L"/etc/passwd", L"../x", L"a/../../x", L"a/./b", L"a//b", L"a/",
                                  L"a\nb", L"a\\b", L"..", L"."})
        EXPECT_FALSE(manifest.AddFile(unsafe)) << testsupport::Narrow(unsafe);
    ASSERT_TRUE(manifest.Save(install.wpath()));
    EXPECT_EQ(testsupport::ReadFile(install / "install.manifest"),
              "PICTAVO-MANIFEST 1\nD magick\nF magick/policy.xml\nF 名字 with blank\n");

    // An over-install starts from the earlier list.
    CInstallManifest next;
    ASSERT_TRUE(next.Load(install.wpath()));
    next.AddFile(L"Pictavo");
    EXPECT_EQ(next.Files(),
              (std::vector<std::wstring>{L"magick/policy.xml", L"名字 with blank", L"Pictavo"}));

    testsupport::WriteFile(
        install / "install.manifest",
        "PICTAVO-MANIFEST 1\nF ../../home/me/.bashrc\nF /etc/passwd\nX Pictavo\nF Uninst\nD \n");
    ASSERT_TRUE(next.Load(install.wpath()));
    EXPECT_EQ(next.Files(), std::vector<std::wstring>{L"Uninst"});
    EXPECT_TRUE(next.Folders().empty());

    testsupport::WriteFile(install / "install.manifest", "F Pictavo\n");
    EXPECT_FALSE(next.Load(install.wpath())) << "no header: not a manifest of ours";
    EXPECT_TRUE(next.Files().empty());
}

TEST(InstallManifest, OnlyARegularFileOfASaneSizeIsReadAndSavingNeverWritesThroughALink)
{
    namespace fs = std::filesystem;
    TempDir install("Pictavo");
    TempDir elsewhere("elsewhere");
    const std::string path = install / "install.manifest";
    const std::string decoy = elsewhere / "decoy";
    const std::string decoyText = "PICTAVO-MANIFEST 1\nF ../../.bashrc-like\nF Pictavo\n";
    testsupport::WriteFile(decoy, decoyText);
    CInstallManifest manifest;
    ASSERT_TRUE(manifest.AddFile(L"Pictavo"));

    // A link in the manifest's place, or under its temporary name: nothing is read through it
    // and the save replaces the link in the folder, never writing to where it points.
    ASSERT_EQ(0, ::symlink(decoy.c_str(), path.c_str()));
    ASSERT_EQ(0, ::symlink(decoy.c_str(), (path + ".new").c_str()));
    CInstallManifest read;
    EXPECT_FALSE(read.Load(install.wpath()));
    ASSERT_TRUE(manifest.Save(install.wpath()));
    EXPECT_EQ(decoyText, testsupport::ReadFile(decoy));
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_TRUE(read.Load(install.wpath()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".new")));

    // A FIFO (whose open would wait for a writer forever) and a folder are refused at once.
    fs::remove(path);
    ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600));
    EXPECT_FALSE(read.Load(install.wpath()));
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(read.Load(install.wpath()));
    fs::remove(path);

    // Past the size limit: refused as damaged, however well-formed.
    std::string text = "PICTAVO-MANIFEST 1\n";
    text.resize(CInstallManifest::kMaxBytes + 1, '\n');
    testsupport::WriteFile(path, text);
    EXPECT_FALSE(read.Load(install.wpath()));
    EXPECT_TRUE(read.Files().empty());
}

TEST(InstallManifest, AMillionLinesLoadInLinearTime)
{
    // Finding repeats by searching the list makes this load take tens of minutes; with the
    // set beside the list it takes about a second.
    TempDir install("Pictavo");
    constexpr int kLines = 1000000;
    std::string text = "PICTAVO-MANIFEST 1\n";
    char line[64];
    for (int i = 0; i < kLines; ++i)
        text.append(line,
                    static_cast<size_t>(std::snprintf(line, sizeof(line), "F d%03d/f%07d\n", i % 997, i)));
    text += "F d000/f0000000\nF d001/f0000001\n"; // repeats are listed once
    testsupport::WriteFile(install / "install.manifest", text);
    const auto start = std::chrono::steady_clock::now();
    CInstallManifest manifest;
    ASSERT_TRUE(manifest.Load(install.wpath()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(static_cast<size_t>(kLines), manifest.Files().size());
    EXPECT_EQ(L"d000/f0000000", manifest.Files().front());
    EXPECT_EQ(L"d000/f0999991", manifest.Files()[kLines - 9]);
    EXPECT_LT(elapsed, std::chrono::seconds(60));
}
