// Unpacking ordinary update packages: folders, cleaned names, empty entries, attributes, times,
// lookups by name, the debug texts and replacing files in use.
#include "tests/update/ZipTestArchives.h"

#include "tests/support/ChildProcess.h"
#include "update/ZipManager.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::Exists;
using testsupport::ReadFile;
using testsupport::Wide;
using ziptest::ModeOf;

namespace
{
// 2020-01-02 03:04:06 local time, the stamp every test entry carries unless told otherwise.
time_t DosStampAsUnix()
{
    struct tm local = {};
    local.tm_year = 120;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 6;
    local.tm_isdst = -1;
    return ::mktime(&local);
}

time_t FileTimeAsUnix(const FILETIME& time)
{
    const unsigned long long ticks =
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<time_t>((ticks - 116444736000000000ULL) / 10000000ULL);
}

class ZipExtract : public ziptest::ZipTest
{
protected:
    // The archive opened directly at the archive layer.
    ZipArchive* OpenArchive(const std::string& archive)
    {
        m_archive = std::make_unique<ZipArchive>(nullptr);
        EXPECT_EQ(m_archive->Open(Wide(archive).c_str()), ZIP_OK);
        return m_archive.get();
    }

    std::unique_ptr<ZipArchive> m_archive;
};
} // namespace

TEST_F(ZipExtract, CreatesFoldersOfEveryEntry)
{
    const std::string archive = Zip("tree", "add('a/b/c.txt', 'hello')\nadd('a/')");
    CZipManager zip;
    ASSERT_TRUE(UnzipAllInto(zip, archive));
    EXPECT_TRUE(S_ISDIR(ModeOf(InBase("a"))));
    EXPECT_TRUE(S_ISDIR(ModeOf(InBase("a/b"))));
    EXPECT_EQ(ReadFile(InBase("a/b/c.txt")), "hello");
    EXPECT_EQ(ziptest::ListTree(Base()), (std::vector<std::string>{"a", "a/b", "a/b/c.txt"}));
    EXPECT_EQ(zip.GetLastFailure(nullptr, nullptr), ZIP_OK);
}

TEST_F(ZipExtract, CleansDrivePrefixesLeadingSeparatorsAndParentReferences)
{
    const std::string archive =
        Zip("clean", "add('C:\\\\x\\\\y1.txt', '1')\nadd('/x/y2.txt', '2')\nadd('x/../y3.txt', '3')\n"
                     "add('D:/\\\\/x/y4.txt', '4')");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    wchar_t name[MAX_PATH] = {};
    const wchar_t* expected[] = {L"x\\y1.txt", L"x/y2.txt", L"y3.txt", L"x/y4.txt"};
    for (int i = 0; i < 4; ++i)
    {
        ASSERT_TRUE(zip.GetItemName(i, name));
        EXPECT_STREQ(name, expected[i]);
    }
    ASSERT_TRUE(zip.SetUnzipDir(WBase().c_str()));
    ASSERT_TRUE(zip.UnzipAll());
    EXPECT_EQ(ReadFile(InBase("x/y1.txt")), "1");
    EXPECT_EQ(ReadFile(InBase("x/y2.txt")), "2");
    EXPECT_EQ(ReadFile(InBase("y3.txt")), "3");
    EXPECT_EQ(ReadFile(InBase("x/y4.txt")), "4");
    EXPECT_TRUE(NothingOutsideBase());
}

TEST_F(ZipExtract, EmptyEntryBecomesEmptyFileAndUnpackingGoesOn)
{
    const time_t before = ::time(nullptr);
    const std::string archive = Zip("empty", "add('empty.txt', b'')\nadd('after.txt', 'x')");
    CZipManager zip;
    ASSERT_TRUE(UnzipAllInto(zip, archive));
    struct stat st = {};
    ASSERT_EQ(::stat(InBase("empty.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_GE(st.st_mtime, before); // an empty entry keeps the current time
    EXPECT_EQ(ReadFile(InBase("after.txt")), "x");
}

TEST_F(ZipExtract, AttributesFromWindowsAndUnixHosts)
{
    const std::string archive = Zip("attrs", "add('win_ro.txt', 'a', system=0, attr=0x21)\n"
                                             "add('win_rw.txt', 'a', system=0, attr=0x20)\n"
                                             "add('unix.txt', 'a', attr=0x81A4 << 16)\n"
                                             "add('tool', 'a', attr=0o100755 << 16)\n"
                                             "add('setid', 'a', attr=0o106755 << 16)");
    ZipArchive* za = OpenArchive(archive);
    ZipEntry entry = {};
    ASSERT_EQ(za->GetEntry(0, &entry), ZIP_OK);
    EXPECT_EQ(entry.attr, 0x21u); // read-only, archive
    ASSERT_EQ(za->GetEntry(2, &entry), ZIP_OK);
    EXPECT_EQ(entry.attr, 0x20u); // archive, not read-only

    CZipManager zip;
    ASSERT_TRUE(UnzipAllInto(zip, archive));
    EXPECT_EQ(ModeOf(InBase("win_ro.txt")) & 07777, 0444u);
    EXPECT_EQ(ModeOf(InBase("win_rw.txt")) & 07777, 0644u);
    EXPECT_EQ(ModeOf(InBase("unix.txt")) & 07777, 0644u);
    EXPECT_EQ(ModeOf(InBase("tool")) & 07777, 0755u);
    EXPECT_EQ(ModeOf(InBase("setid")) & 07777, 0755u); // never setuid or setgid

    // an entry that records no permission bits at all stays usable
    const std::string bare =
        Zip("bare", "add('nomode', 'a')\nz.close()\nset_field(b'PK\\x01\\x02', 38, '<I', 0)");
    ASSERT_TRUE(UnzipAllInto(zip, bare));
    EXPECT_EQ(ModeOf(InBase("nomode")) & 07777, 0644u);
}

TEST_F(ZipExtract, TimesComeFromTheDosStampOrTheExtendedTimeBlock)
{
    const std::string archive =
        Zip("times", "add('dos.txt', 'a')\n"
                     "add('ut.txt', 'a', extra=struct.pack('<2sHBi', b'UT', 5, 1, 1500000000))\n"
                     "add('all.txt', 'a', extra=struct.pack('<2sHBiii', b'UT', 13, 7, 1500000000, "
                     "1400000000, 1300000000))\n"
                     "add('short.txt', 'a', extra=struct.pack('<2sHBi', b'UT', 5, 7, 1500000000))\n"
                     "add('after.txt', 'a', extra=struct.pack('<2sHI', b'XY', 4, 0) + struct.pack('<2sHBi', "
                     "b'UT', 5, 1, 1200000000))");
    const time_t dos = DosStampAsUnix();
    ZipArchive* za = OpenArchive(archive);
    ZipEntry entry = {};
    ASSERT_EQ(za->GetEntry(1, &entry), ZIP_OK);
    EXPECT_EQ(FileTimeAsUnix(entry.mtime), 1500000000);
    EXPECT_EQ(FileTimeAsUnix(entry.atime), dos);
    EXPECT_EQ(FileTimeAsUnix(entry.ctime), dos);
    ASSERT_EQ(za->GetEntry(2, &entry), ZIP_OK);
    EXPECT_EQ(FileTimeAsUnix(entry.mtime), 1500000000);
    EXPECT_EQ(FileTimeAsUnix(entry.atime), 1400000000);
    EXPECT_EQ(FileTimeAsUnix(entry.ctime), 1300000000);
    ASSERT_EQ(za->GetEntry(3, &entry), ZIP_OK); // announces three times, holds one
    EXPECT_EQ(FileTimeAsUnix(entry.mtime), 1500000000);
    EXPECT_EQ(FileTimeAsUnix(entry.atime), dos);

    CZipManager zip;
    ASSERT_TRUE(UnzipAllInto(zip, archive));
    struct stat st = {};
    ASSERT_EQ(::stat(InBase("dos.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, dos);
    EXPECT_EQ(st.st_atime, dos);
    ASSERT_EQ(::stat(InBase("ut.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1500000000);
    EXPECT_EQ(st.st_atime, dos);
    ASSERT_EQ(::stat(InBase("after.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1200000000);
}

TEST_F(ZipExtract, LookupByNameIgnoresAsciiCaseAndWritesTheBareName)
{
    const std::string archive = Zip("byname", "add('sub/readme.txt', 'read me')\nadd('sub/Ä.txt', 'umlaut')");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    ASSERT_TRUE(zip.SetUnzipDir(WBase().c_str()));
    wchar_t fileName[MAX_PATH] = {};
    ASSERT_TRUE(zip.UnzipItemByName(L"sub/Readme.TXT", fileName));
    EXPECT_STREQ(fileName, L"Readme.TXT");
    EXPECT_EQ(ReadFile(InBase("Readme.TXT")), "read me");
    EXPECT_FALSE(Exists(InBase("sub")));
    // only ASCII letters fold
    EXPECT_FALSE(zip.UnzipItemByName(L"sub/ä.txt", fileName));
    EXPECT_TRUE(zip.UnzipItemByName(L"SUB/Ä.txt", fileName));
    EXPECT_FALSE(zip.UnzipItemByName(L"", fileName));

    ZipArchive* za = OpenArchive(archive);
    int index = 7;
    ZipEntry entry = {};
    EXPECT_EQ(za->FindEntry(L"missing", &index, &entry), ZIP_NOTFOUND);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(entry.index, -1);
    EXPECT_EQ(za->FindEntry(std::wstring(300, L'a').c_str(), &index, &entry), ZIP_NOTFOUND);
}

TEST_F(ZipExtract, CountsAndNamesEntries)
{
    const std::string empty = Zip("none", "");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(empty).c_str(), nullptr));
    int count = -1;
    ASSERT_TRUE(zip.GetItemCount(&count));
    EXPECT_EQ(count, 0);
    wchar_t name[MAX_PATH] = {};
    EXPECT_FALSE(zip.GetItemName(0, name));
    EXPECT_TRUE(zip.UnzipAll());

    const std::string two = Zip("two", "add('one', '1')\nadd('two', '2')");
    ASSERT_TRUE(zip.OpenZip(Wide(two).c_str(), nullptr)); // re-opening closes the first
    ASSERT_TRUE(zip.GetItemCount(&count));
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(zip.GetItemName(2, name));
    EXPECT_FALSE(zip.GetItemName(-2, name));
    ASSERT_TRUE(zip.GetItemName(1, name)); // backwards after forwards
    ASSERT_TRUE(zip.GetItemName(0, name));
    EXPECT_STREQ(name, L"one");
}

TEST_F(ZipExtract, DecodesUtf8AndCodePage936Names)
{
    // the GBK bytes of these two characters are not valid UTF-8 (those of many others are)
    const std::string archive =
        Zip("names", "add('中文/图片.txt', 'utf8')\nadd('XXXX.txt', 'gbk')\nz.close()\n"
                     "patch(b'XXXX', '中文'.encode('gbk'))");
    CZipManager zip;
    ASSERT_TRUE(UnzipAllInto(zip, archive));
    EXPECT_EQ(ReadFile(InBase("中文/图片.txt")), "utf8");
    EXPECT_EQ(ReadFile(InBase("中文.txt")), "gbk");
}

TEST_F(ZipExtract, DebugTextsNameTheFailureAndItsCode)
{
    ziptest::DebugCapture capture;
    CZipManager zip;
    EXPECT_FALSE(zip.OpenZip(nullptr, nullptr));
    EXPECT_FALSE(zip.OpenZip(Wide(m_work / "missing.zip").c_str(), nullptr));
    EXPECT_FALSE(zip.SetUnzipDir(L"/somewhere"));
    const std::string archive = Zip("debug", "add('a.txt', 'a')");
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    wchar_t fileName[MAX_PATH] = {};
    EXPECT_FALSE(zip.UnzipItemByName(nullptr, fileName));
    EXPECT_FALSE(zip.UnzipItemByName(L"b.txt", fileName));
    EXPECT_EQ(capture.Text(), "qrtn: 压缩文件名为NULL. 错误代码：0x00000000\n"
                              "qrtn: 加载压缩文件失败. 错误代码：0x00000000\n"
                              "qrtn: 设置压缩路径失败. 错误代码：0x00010000\n"
                              "qrtn: 待解压的子项名为NULL. 错误代码：0x00000000\n"
                              "qrtn: 查找待解压的子项失败. 错误代码：0x00000500\n");
}

TEST_F(ZipExtract, DefaultFolderIsTheArchivePathWithoutExtension)
{
    const std::string archive = Zip("pkg", "add('in.txt', 'x')");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), nullptr));
    ASSERT_TRUE(zip.SetUnzipDir(nullptr));
    ASSERT_TRUE(zip.UnzipAll());
    EXPECT_EQ(ReadFile(m_work / "pkg/in.txt"), "x");
}

TEST_F(ZipExtract, OperationsWithoutAnArchiveFail)
{
    CZipManager zip;
    int count = 0;
    wchar_t name[MAX_PATH] = {};
    EXPECT_FALSE(zip.GetItemCount(&count));
    EXPECT_FALSE(zip.GetItemName(0, name));
    EXPECT_FALSE(zip.UnzipItem(0, L"x"));
    EXPECT_FALSE(zip.UnzipAll());
    EXPECT_EQ(zip.GetLastFailure(nullptr, nullptr), ZIP_ARGS);
    EXPECT_EQ(CloseZipArchive(nullptr), ZIP_ARGS);
    ZipHandle other = {2, nullptr};
    EXPECT_EQ(CloseZipArchive(&other), ZIP_WRONG_KIND);
    auto* released = new CZipManager;
    released->Release();

    ZipArchive archive(nullptr);
    const std::string path = Zip("twice", "add('a', 'a')");
    ASSERT_EQ(archive.Open(Wide(path).c_str()), ZIP_OK);
    EXPECT_EQ(archive.Open(Wide(path).c_str()), ZIP_ALREADY_OPEN);
}

TEST_F(ZipExtract, ReplacesExistingFilesAndProgramsThatRun)
{
    ASSERT_EQ(::mkdir(Base().c_str(), 0755), 0);
    testsupport::WriteFile(InBase("data.txt"), "old contents, longer than the new");
    ASSERT_TRUE(ziptest::Run("cp /bin/sleep '" + InBase("prog") + "'"));
    testsupport::ChildProcess running;
    ASSERT_TRUE(running.StartProgram(InBase("prog"), {"30"}));

    const std::string archive = Zip(
        "replace", "add('data.txt', 'new')\nadd('prog', '#!/bin/sh\\necho updated\\n', attr=0o100755 << 16)");
    CZipManager zip;
    const bool unpacked = UnzipAllInto(zip, archive);
    running.Kill(SIGKILL);
    running.Wait();
    ASSERT_TRUE(unpacked);
    EXPECT_EQ(ReadFile(InBase("data.txt")), "new");
    EXPECT_EQ(ReadFile(InBase("prog")), "#!/bin/sh\necho updated\n");
    EXPECT_EQ(ModeOf(InBase("prog")) & 0777, 0755u);
    EXPECT_EQ(ziptest::ListTree(Base()), (std::vector<std::string>{"data.txt", "prog"})); // no temporary left
}

TEST_F(ZipExtract, EncryptedEntriesNeedTheirPassword)
{
    ASSERT_EQ(::mkdir((m_work / "src").c_str(), 0755), 0);
    testsupport::WriteFile(m_work / "src/secret.txt", std::string(1000, 's'));
    const std::string archive = m_work / "crypt.zip";
    ASSERT_TRUE(
        ziptest::Run("cd '" + m_work / "src" + "' && zip -q -P opensesame '" + archive + "' secret.txt"));

    CZipManager locked;
    EXPECT_FALSE(UnzipAllInto(locked, archive));
    EXPECT_EQ(locked.GetLastFailure(nullptr, nullptr), ZIP_PASSWORD);
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());

    CZipManager wrong;
    ASSERT_TRUE(wrong.OpenZip(Wide(archive).c_str(), "guess"));
    ASSERT_TRUE(wrong.SetUnzipDir(WBase().c_str()));
    EXPECT_FALSE(wrong.UnzipAll());
    EXPECT_TRUE(ziptest::ListTree(Base()).empty());

    // Debian's reader is built without decryption: then even the right password is refused,
    // and nothing half-decoded is left behind
    CZipManager right;
    ASSERT_TRUE(right.OpenZip(Wide(archive).c_str(), "opensesame"));
    ASSERT_TRUE(right.SetUnzipDir(WBase().c_str()));
    if (right.UnzipAll())
        EXPECT_EQ(ReadFile(InBase("secret.txt")), std::string(1000, 's'));
    else
        EXPECT_TRUE(right.GetLastFailure(nullptr, nullptr) == ZIP_PASSWORD &&
                    ziptest::ListTree(Base()).empty());
}

TEST_F(ZipExtract, PasswordDoesNotHinderPlainEntries)
{
    const std::string archive = Zip("plain", "add('plain.txt', 'open')");
    CZipManager zip;
    ASSERT_TRUE(zip.OpenZip(Wide(archive).c_str(), "unused"));
    ASSERT_TRUE(zip.SetUnzipDir(WBase().c_str()));
    ASSERT_TRUE(zip.UnzipAll());
    EXPECT_EQ(ReadFile(InBase("plain.txt")), "open");
}
