// Directory searches over real folders: masks, the "." and ".." entries, links and long names.
#include "tests/support/TestSupport.h"

#include "platform/files/FileSearch.h"
#include "platform/files/PathText.h"

#include "platform/Files.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <unistd.h>
#include <vector>

namespace
{
using testsupport::TempDir;
using testsupport::Wide;

// name -> attrib of every entry _wfindfirst/_wfindnext return, in order.
std::vector<std::pair<std::wstring, unsigned>> FindAll(const std::wstring& pattern)
{
    std::vector<std::pair<std::wstring, unsigned>> found;
    _wfinddata_t data{};
    const std::intptr_t handle = _wfindfirst(pattern.c_str(), &data);
    if (handle == -1)
        return found;
    do
        found.emplace_back(data.name, data.attrib);
    while (_wfindnext(handle, &data) == 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_findclose(handle), 0);
    return found;
}

std::vector<std::wstring> Names(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    for (const auto& [name, attrib] : FindAll(pattern))
        names.push_back(name);
    return names;
}

class Search : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"a.log", "b.LOG", "c.txt", "noext", "x1", "x22"})
            testsupport::WriteFile(m_dir / name, "data");
        ASSERT_EQ(::mkdir((m_dir / "sub").c_str(), 0755), 0);
    }

    TempDir m_dir;
};
} // namespace

TEST_F(Search, MasksFollowWindows)
{
    const std::wstring base = m_dir.wpath() + L"/";
    const std::vector<std::wstring> all = {L".",     L"..",  L"a.log", L"b.LOG", L"c.txt",
                                           L"noext", L"sub", L"x1",    L"x22"};
    EXPECT_EQ(Names(base + L"*.*"), all); // also the names without a dot
    EXPECT_EQ(Names(base + L"*"), all);
    EXPECT_EQ(Names(base + L"*.log"), (std::vector<std::wstring>{L"a.log", L"b.LOG"}));
    EXPECT_EQ(Names(base + L"x?"), std::vector<std::wstring>{L"x1"});
    EXPECT_EQ(Names(base + L"*o*t"), std::vector<std::wstring>{L"noext"});
    EXPECT_EQ(Names(base + L"C.TXT"), std::vector<std::wstring>{L"c.txt"});
}

TEST_F(Search, ReportsKindsSizesAndDotEntries)
{
    const auto found = FindAll(m_dir.wpath() + L"/*.*");
    std::map<std::wstring, unsigned> attributes(found.begin(), found.end());
    EXPECT_EQ(attributes[L"."], _A_SUBDIR);
    EXPECT_EQ(attributes[L".."], _A_SUBDIR);
    EXPECT_EQ(attributes[L"sub"], _A_SUBDIR);
    EXPECT_EQ(attributes[L"a.log"], _A_ARCH);

    _wfinddata_t data{};
    const std::intptr_t handle = _wfindfirst((m_dir.wpath() + L"/c.txt").c_str(), &data);
    ASSERT_NE(handle, -1);
    EXPECT_EQ(data.size, 4u);
    EXPECT_GT(data.time_write, 1600000000);
    _findclose(handle);
}

TEST_F(Search, NothingToFindIsENOENT)
{
    _wfinddata_t data{};
    errno = 0;
    EXPECT_EQ(_wfindfirst((m_dir.wpath() + L"/*.bmp").c_str(), &data), -1);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(_wfindfirst((m_dir.wpath() + L"/missing/*.*").c_str(), &data), -1);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(_wfindfirst((m_dir.wpath() + L"/a.log/*.*").c_str(), &data), -1); // a file, not a folder
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_findclose(12345), -1);
}

TEST_F(Search, LinksAreNeverFolders)
{
    // A tree walk that follows the folder bit must not leave the tree through a link.
    TempDir outside;
    testsupport::WriteFile(outside / "precious", "p");
    ASSERT_EQ(::symlink(outside.path().c_str(), (m_dir / "escape").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent", (m_dir / "dangling").c_str()), 0);
    const auto found = FindAll(m_dir.wpath() + L"/*");
    std::map<std::wstring, unsigned> attributes(found.begin(), found.end());
    ASSERT_EQ(attributes.count(L"escape"), 1u);
    EXPECT_EQ(attributes[L"escape"] & _A_SUBDIR, 0u);
    ASSERT_EQ(attributes.count(L"dangling"), 1u);

    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW((m_dir.wpath() + L"/escape").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    FindClose(search);
}

TEST_F(Search, Win32FormReportsTheEndAndMissingFolders)
{
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW((m_dir.wpath() + L"/*.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(data.cFileName), L"c.txt");
    EXPECT_EQ(data.nFileSizeLow, 4u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));

    EXPECT_EQ(FindFirstFileW((m_dir.wpath() + L"/*.bmp").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW((m_dir.wpath() + L"/missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(Search, CallersMayDeleteWhileSearching)
{
    _wfinddata_t data{};
    const std::intptr_t handle = _wfindfirst((m_dir.wpath() + L"/*").c_str(), &data);
    ASSERT_NE(handle, -1);
    int files = 0;
    do
    {
        const std::wstring path = m_dir.wpath() + L"/" + data.name;
        if ((data.attrib & _A_SUBDIR) == 0)
            files += _wremove(path.c_str()) == 0 ? 1 : 0;
    } while (_wfindnext(handle, &data) == 0);
    _findclose(handle);
    EXPECT_EQ(files, 6);
    EXPECT_EQ(Names(m_dir.wpath() + L"/*"), (std::vector<std::wstring>{L".", L"..", L"sub"}));
}

TEST(SearchNames, LongestNamesComeWholeAndOverlongOnesAreCut)
{
    TempDir dir;
    const std::string longest(255, 'n'); // the longest name Linux allows
    testsupport::WriteFile(dir / longest, "x");
    EXPECT_EQ(Names(dir.wpath() + L"/n*"), std::vector<std::wstring>{Wide(longest)});

    wchar_t buffer[4];
    buffer[3] = L'#';
    platform::files::CopyTruncated(L"abcdef", buffer, 3);
    EXPECT_EQ(std::wstring(buffer), L"ab");
    EXPECT_EQ(buffer[3], L'#');
}

TEST(SearchNames, MaskMatcherBacktracks)
{
    using platform::files::FileSearch;
    EXPECT_TRUE(FileSearch::MaskMatches(L"*a*b", L"xaxxab"));
    EXPECT_TRUE(FileSearch::MaskMatches(L"a**", L"a"));
    EXPECT_FALSE(FileSearch::MaskMatches(L"*.log", L"a.log.bak"));
    EXPECT_FALSE(FileSearch::MaskMatches(L"?", L""));
    EXPECT_FALSE(FileSearch::MaskMatches(L"", L"a"));
    EXPECT_TRUE(FileSearch::MaskMatches(L"*.JPG", L"照片.jpg"));
}
