// The install manifest: what it may hold, an over-install adding to it, and a damaged or
// altered one never naming anything outside the install folder.
#include "InstallManifest.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
