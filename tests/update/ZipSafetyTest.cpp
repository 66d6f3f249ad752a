// Hostile and damaged packages: nothing may be written outside the base folder, a refused
// archive writes nothing, and a damaged file never replaces a good one.
#include "tests/update/ZipTestArchives.h"

#include "update/ZipManager.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::Exists;
using testsupport::ReadFile;
using testsupport::Wide;

namespace
{
struct HostileName
{
    const char* python; // the entry name as a Python literal
    ZipResult result;
};

// Names the case by its entry in test lists (the default prints the object's bytes, which hold
// a pointer, so the names would change from one build to the next).
void PrintTo(const HostileName& name, std::ostream* out)
{
    *out << name.python;
}

class ZipHostileName : public ziptest::ZipTest, public ::testing::WithParamInterface<HostileName>
{
};

const HostileName kHostileNames[] = {
    {"'../x'", ZIP_UNSAFE_NAME},
    {"'..\\\\x'", ZIP_UNSAFE_NAME},
    {"'a/../../x'", ZIP_UNSAFE_NAME},
    {"'a\\\\..\\\\..\\\\x'", ZIP_UNSAFE_NAME},
    {"'..'", ZIP_UNSAFE_NAME},
    {"'...'", ZIP_UNSAFE_NAME},
    {"'./.'", ZIP_UNSAFE_NAME},
    {"'a/..../x'", ZIP_UNSAFE_NAME},
    {"'d' * 300", ZIP_UNSAFE_NAME},        // longer than an entry record holds
    {"'d/' * 130 + 'x'", ZIP_UNSAFE_NAME}, // likewise, in folders
    {"'e' * 256 + '/x'", ZIP_UNSAFE_NAME}, // no file system takes such a component
    {"'C:'", ZIP_UNSAFE_NAME},
};
} // namespace

// A good entry comes first: a refused archive must not have written it either.
TEST_P(ZipHostileName, IsRefusedBeforeAnythingIsWritten)
{
    const std::string archive =
        Zip("hostile", std::string("add('good.txt', 'ok')\nadd(") + GetParam().python + ", 'evil')");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, archive));
    int index = -1;
    EXPECT_EQ(zip.GetLastFailure(&index, nullptr), GetParam().result);
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());
    EXPECT_TRUE(NothingOutsideBase());
    // unpacked one by one, the entry is refused as well
    EXPECT_FALSE(zip.UnzipItem(1, L"../y"));
    EXPECT_TRUE(NothingOutsideBase());
}

INSTANTIATE_TEST_SUITE_P(Names, ZipHostileName, ::testing::ValuesIn(kHostileNames));

TEST_F(ZipHostileName, AbsoluteAndDriveNamesLandInsideTheBase)
{
    const std::string archive =
        Zip("inside", "add('/etc/x', '1')\nadd('C:\\\\x', '2')\nadd('C:/D:\\\\y', '3')");
    CZipManager zip;
    ASSERT_TRUE(UnzipAllInto(zip, archive));
    EXPECT_EQ(ReadFile(InBase("etc/x")), "1");
    EXPECT_EQ(ReadFile(InBase("x")), "2");
    EXPECT_EQ(ReadFile(InBase("y")), "3");
    EXPECT_TRUE(NothingOutsideBase());
}

TEST_F(ZipHostileName, TargetsGivenByTheCallerAreCheckedToo)
{
    const std::string archive = Zip("caller", "add('a.txt', 'a')");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    ASSERT_TRUE(zip.SetUnzipDir(WBase().c_str()));
    EXPECT_FALSE(zip.UnzipItem(0, L"../a.txt"));
    EXPECT_FALSE(zip.UnzipItem(0, L"C:\\a.txt"));
    EXPECT_FALSE(zip.UnzipItem(0, L""));
    EXPECT_FALSE(zip.UnzipItem(0, nullptr));
    EXPECT_TRUE(NothingOutsideBase());
    // an absolute target is the caller's own choice
    ASSERT_TRUE(zip.UnzipItem(0, Wide(m_work / "chosen/a.txt").c_str()));
    EXPECT_EQ(ReadFile(m_work / "chosen/a.txt"), "a");
}

TEST_F(ZipHostileName, SymbolicLinkEntriesAreRefused)
{
    const std::string archive = Zip("link", "add('lnk', '" + m_work.path() +
                                                "', attr=0o120777 << 16)\n"
                                                "add('lnk/evil.txt', 'evil')");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, archive));
    ExpectFailure(zip, ZIP_LINK, 0, L"lnk");
    EXPECT_EQ(zip.GetFailedStep(), CZipManager::Step::Check);
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());
    EXPECT_FALSE(Exists(m_work / "evil.txt"));
    EXPECT_FALSE(zip.UnzipItem(0, L"lnk"));
    EXPECT_EQ(ziptest::ModeOf(InBase("lnk")), 0u);
}

TEST_F(ZipHostileName, LinksAlreadyInTheBaseAreNotFollowed)
{
    const std::string outside = m_work / "outside";
    ASSERT_EQ(::mkdir(outside.c_str(), 0755), 0);
    testsupport::WriteFile(outside + "/secret", "keep");
    ASSERT_EQ(::mkdir(Base().c_str(), 0755), 0);
    ASSERT_EQ(::symlink(outside.c_str(), InBase("dir").c_str()), 0);
    ASSERT_EQ(::symlink((outside + "/secret").c_str(), InBase("file").c_str()), 0);

    const std::string through = Zip("through", "add('dir/x.txt', 'evil')");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, through));
    EXPECT_EQ(zip.GetLastFailure(nullptr, nullptr), ZIP_UNSAFE_NAME);
    EXPECT_FALSE(zip.UnzipItem(0, L"dir/y.txt"));
    EXPECT_EQ(ziptest::ListTree(outside), std::vector<std::string>{"secret"});

    // a link in the target's place is replaced by the file, never written through
    const std::string over = Zip("over", "add('file', 'new')");
    ASSERT_TRUE(UnzipAllInto(zip, over));
    EXPECT_TRUE(S_ISREG(ziptest::ModeOf(InBase("file"))));
    EXPECT_EQ(ReadFile(InBase("file")), "new");
    EXPECT_EQ(ReadFile(outside + "/secret"), "keep");
}

TEST_F(ZipHostileName, BadCrcFailsAndKeepsTheOldFile)
{
    ASSERT_EQ(::mkdir(Base().c_str(), 0755), 0);
    testsupport::WriteFile(InBase("data.txt"), "old");
    const std::string archive =
        Zip("crc", "add('data.txt', 'new data')\nadd('later.txt', 'later')\nz.close()\n"
                   "set_field(b'PK\\x03\\x04', 14, '<I', 0x12345678)\n"
                   "set_field(b'PK\\x01\\x02', 16, '<I', 0x12345678)");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, archive));
    ExpectFailure(zip, ZIP_CRC, 0, L"data.txt");
    EXPECT_EQ(zip.GetFailedStep(), CZipManager::Step::Unpack);
    EXPECT_EQ(ReadFile(InBase("data.txt")), "old");
    EXPECT_EQ(ziptest::ListTree(Base()), std::vector<std::string>{"data.txt"});
}

TEST_F(ZipHostileName, FailureLeavesEarlierEntriesAndNamesTheFailedOne)
{
    const std::string archive = Zip("partial", "add('f', 'file')\nadd('f/g', 'under a file')");
    ziptest::DebugCapture capture;
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, archive));
    ExpectFailure(zip, ZIP_NOFILE, 1, L"f/g");
    EXPECT_EQ(ReadFile(InBase("f")), "file");
    EXPECT_NE(capture.Text().find("qrtn: 解压子项失败. [f/g] 错误代码：0x00000200"), std::string::npos);
}

TEST_F(ZipHostileName, TruncatedArchiveDoesNotOpen)
{
    const std::string archive = Zip("cut", "add('a.txt', 'x' * 5000)\nadd('b.txt', 'y' * 5000)");
    ASSERT_EQ(::truncate(archive.c_str(), static_cast<off_t>(ReadFile(archive).size() / 2)), 0);
    CZipManager zip;
    EXPECT_FALSE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    EXPECT_EQ(zip.GetFailedStep(), CZipManager::Step::Open);
    EXPECT_EQ(zip.GetLastFailure(nullptr, nullptr), ZIP_NOFILE);
    testsupport::WriteFile(m_work / "junk.zip", "PK\x05\x06 not really an archive");
    EXPECT_FALSE(zip.OpenZip(Wide(m_work / "junk.zip").c_str(), nullptr));
}

TEST_F(ZipHostileName, DamagedDataFailsAndLeavesNoFile)
{
    const std::string archive =
        Zip("damaged", "import os\nadd('r.bin', os.urandom(4096) + b'z' * 60000)\nz.close()\n"
                       "raw = bytearray(open(path, 'rb').read())\nfor i in range(200, 3000): raw[i] ^= 0x5A\n"
                       "open(path, 'wb').write(bytes(raw))");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, archive));
    const ZipResult result = zip.GetLastFailure(nullptr, nullptr);
    EXPECT_TRUE(result == ZIP_FLATE || result == ZIP_CRC) << std::hex << result;
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());
}

TEST_F(ZipHostileName, ArchivesBeyondTheLimitsAreRefusedBeforeWriting)
{
    // sizes claimed past 2 GiB in all
    const std::string claimed =
        Zip("claims", "add('small.txt', 'x')\nadd('bomb.bin', 'A' * 16, stored=True)\nz.close()\n"
                      "set_field(b'PK\\x01\\x02', 24, '<I', 0xC0000000)");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, claimed));
    EXPECT_EQ(zip.GetLastFailure(nullptr, nullptr), ZIP_TOO_LARGE);
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());

    const std::string many = Zip("many", "for i in range(20001): add('e%d' % i)");
    EXPECT_FALSE(UnzipAllInto(zip, many));
    ExpectFailure(zip, ZIP_TOO_LARGE, -1, L"");
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());
}

TEST_F(ZipHostileName, DataBeyondTheClaimedSizeIsNeverWritten)
{
    const std::string archive = Zip("bomb", "add('bomb.bin', b'\\0' * 10000000)\nz.close()\n"
                                            "set_field(b'PK\\x03\\x04', 22, '<I', 10)\n"
                                            "set_field(b'PK\\x01\\x02', 24, '<I', 10)");
    CZipManager zip;
    EXPECT_FALSE(UnzipAllInto(zip, archive));
    EXPECT_EQ(zip.GetLastFailure(nullptr, nullptr), ZIP_CRC);
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());
}

TEST_F(ZipHostileName, UnusableBaseFoldersAreRefused)
{
    const std::string archive = Zip("base", "add('a.txt', 'a')");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    EXPECT_FALSE(zip.SetUnzipDir(L""));
    EXPECT_FALSE(zip.SetUnzipDir((L"/tmp/" + std::wstring(260, L'x')).c_str()));
    EXPECT_FALSE(zip.OpenZip((L"/tmp/" + std::wstring(300, L'x') + L".zip").c_str(), nullptr));
}
