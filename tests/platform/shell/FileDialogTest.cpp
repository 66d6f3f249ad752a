// The open-file and folder dialogs without a display: the result formats callers split, the
// refusals that leave their buffers alone, what was asked, and item id lists.
#include "platform/Dialogs.h"
#include "platform/shell/FilterList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using platform::headless::FileDialogKind;
using platform::headless::LastFileDialog;
using platform::headless::SetFileDialogAnswer;

namespace
{
class OpenFileTest : public ::testing::Test
{
protected:
    void TearDown() override { SetFileDialogAnswer(std::nullopt); }

    OPENFILENAMEW Request(DWORD maxFile = MAX_PATH * 4)
    {
        m_buffer.assign(maxFile + 4, L'#');
        m_buffer[0] = L'\0';
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.lpstrFilter = L"PNG(*.png;*.jpg)\0*.png;*.jpg\0All\0*.*\0";
        ofn.nFilterIndex = 2;
        ofn.lpstrFile = m_buffer.data();
        ofn.nMaxFile = maxFile;
        ofn.lpstrInitialDir = L"/home/u/Desktop";
        ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
        return ofn;
    }

    // The callers' rule: folder = the first nFileOffset - 1 characters, then names up to an
    // empty one, each joined to the folder with "/".
    static std::vector<std::wstring> Split(const OPENFILENAMEW& ofn)
    {
        const std::wstring folder(ofn.lpstrFile, ofn.nFileOffset - 1);
        std::vector<std::wstring> paths;
        for (const wchar_t* name = ofn.lpstrFile + ofn.nFileOffset; *name != L'\0'; name += wcslen(name) + 1)
            paths.push_back(folder + L"/" + name);
        return paths;
    }

    std::vector<wchar_t> m_buffer;
};

TEST_F(OpenFileTest, OneFileIsItsFullPathWithTheNameOffset)
{
    SetFileDialogAnswer(std::vector<std::wstring>{L"/home/u/Desktop/PHOTO.JPG"});
    WCHAR title[MAX_PATH] = {};
    OPENFILENAMEW ofn = Request();
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = MAX_PATH;
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(std::wstring(ofn.lpstrFile), L"/home/u/Desktop/PHOTO.JPG");
    EXPECT_EQ(ofn.nFileOffset, 16);
    EXPECT_EQ(ofn.nFileExtension, 22);
    EXPECT_EQ(std::wstring(title), L"PHOTO.JPG");
    EXPECT_EQ(Split(ofn), std::vector<std::wstring>{L"/home/u/Desktop/PHOTO.JPG"});
}

TEST_F(OpenFileTest, SeveralFilesAreFolderThenNamesAndSplitBackToTheirPaths)
{
    const std::vector<std::wstring> chosen{L"/data/图片/a b.png", L"/data/图片/c.jpg",
                                           L"/data/图片/new/d.png"};
    SetFileDialogAnswer(chosen);
    OPENFILENAMEW ofn = Request();
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(std::wstring(ofn.lpstrFile), L"/data/图片");
    EXPECT_EQ(ofn.nFileOffset, 9);
    EXPECT_EQ(Split(ofn), chosen);
    // Files with nothing but the root in common.
    SetFileDialogAnswer(std::vector<std::wstring>{L"/a/x.png", L"/b/y.png"});
    ofn = Request();
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(Split(ofn), (std::vector<std::wstring>{L"//a/x.png", L"//b/y.png"}));
}

TEST_F(OpenFileTest, WithoutMultipleSelectionOnlyTheFirstFileIsGiven)
{
    SetFileDialogAnswer(std::vector<std::wstring>{L"/d/a.png", L"/d/b.png"});
    OPENFILENAMEW ofn = Request();
    ofn.Flags = OFN_EXPLORER;
    ASSERT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(std::wstring(ofn.lpstrFile), L"/d/a.png");
    EXPECT_EQ(ofn.nFileExtension, 5);
}

TEST_F(OpenFileTest, ResultThatDoesNotFitIsRefusedAndNothingIsWritten)
{
    const std::vector<std::wstring> chosen{L"/d/aaaa.png",
                                           L"/d/bbbb.png"}; // "/d\0aaaa.png\0bbbb.png\0\0": 22
    SetFileDialogAnswer(chosen);
    OPENFILENAMEW ofn = Request(21);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(m_buffer[0], L'\0');
    EXPECT_EQ(m_buffer[1], L'#');
    ofn = Request(22);
    EXPECT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(m_buffer[22], L'#');

    SetFileDialogAnswer(std::vector<std::wstring>{L"/d/x.png"}); // one file: 8 + zero + zero
    ofn = Request(9);
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    ofn = Request(9);
    ofn.Flags = OFN_EXPLORER;
    EXPECT_TRUE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(m_buffer[9], L'#');
}

TEST_F(OpenFileTest, CancelIsFalseWithoutAnErrorAndBadRequestsFail)
{
    SetFileDialogAnswer(std::nullopt);
    OPENFILENAMEW ofn = Request();
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    SetFileDialogAnswer(std::vector<std::wstring>{});
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    SetFileDialogAnswer(std::vector<std::wstring>{L"/d/x.png"});
    ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
    ofn = Request();
    ofn.nMaxFile = 0;
    EXPECT_FALSE(GetOpenFileNameW(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
}

TEST_F(OpenFileTest, TheQuestionIsRecorded)
{
    OPENFILENAMEW ofn = Request();
    ofn.hwndOwner = reinterpret_cast<HWND>(0x40);
    ofn.lpstrTitle = L"Pick";
    GetOpenFileNameW(&ofn);
    const auto call = LastFileDialog();
    EXPECT_EQ(call.kind, FileDialogKind::OpenFile);
    EXPECT_EQ(call.owner, ofn.hwndOwner);
    ASSERT_EQ(call.filters.size(), 2u);
    EXPECT_EQ(call.filters[0].first, L"PNG(*.png;*.jpg)");
    EXPECT_EQ(call.filters[0].second, L"*.png;*.jpg");
    EXPECT_EQ(call.filters[1].second, L"*.*");
    EXPECT_EQ(call.filterIndex, 2u);
    EXPECT_EQ(call.initialDir, L"/home/u/Desktop");
    EXPECT_EQ(call.title, L"Pick");
    EXPECT_EQ(call.flags, OFN_EXPLORER | OFN_ALLOWMULTISELECT);
}

TEST(FilterListTest, PatternsMatchWithoutRegardToCase)
{
    using platform::FilterList;
    EXPECT_TRUE(FilterList::Matches(L"*.jpg", L"PHOTO.JPG"));
    EXPECT_TRUE(FilterList::Matches(L"*.png; *.jpeg", L"a.JPEG"));
    EXPECT_FALSE(FilterList::Matches(L"*.png;*.jpg", L"a.heic"));
    EXPECT_FALSE(FilterList::Matches(L"*.jpg", L"photo.jpg.txt"));
    EXPECT_TRUE(FilterList::Matches(L"*.*", L"README"));
    EXPECT_TRUE(FilterList::Matches(L"*.HEIC", L"图片.heic"));
    EXPECT_EQ(FilterList::Parse(L"only description\0\0").size(), 0u);
    EXPECT_EQ(FilterList::Parse(nullptr).size(), 0u);
}

class FolderDialogTest : public ::testing::Test
{
protected:
    void TearDown() override { SetFileDialogAnswer(std::nullopt); }
};

TEST_F(FolderDialogTest, ChosenFolderTravelsThroughTheItemIdList)
{
    SetFileDialogAnswer(std::vector<std::wstring>{L"/home/u/输出 folder"});
    WCHAR name[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.lpszTitle = L"从下面选文件夹目录:";
    info.ulFlags = BIF_RETURNFSANCESTORS;
    info.pszDisplayName = name;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
    ASSERT_NE(pidl, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
    EXPECT_EQ(std::wstring(path), L"/home/u/输出 folder");
    EXPECT_EQ(std::wstring(name), L"输出 folder");
    CoTaskMemFree(pidl);
    const auto call = LastFileDialog();
    EXPECT_EQ(call.kind, FileDialogKind::Folder);
    EXPECT_EQ(call.title, L"从下面选文件夹目录:");
    EXPECT_EQ(call.flags, BIF_RETURNFSANCESTORS);

    SetFileDialogAnswer(std::nullopt);
    EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
}

TEST_F(FolderDialogTest, PathLongerThanMaxPathIsRefusedNotCut)
{
    const std::wstring deep = L"/" + std::wstring(MAX_PATH, L'd');
    SetFileDialogAnswer(std::vector<std::wstring>{deep});
    BROWSEINFOW info{};
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
    ASSERT_NE(pidl, nullptr);
    WCHAR path[MAX_PATH + 1];
    path[MAX_PATH] = L'#';
    EXPECT_FALSE(SHGetPathFromIDListW(pidl, path));
    EXPECT_EQ(path[0], L'\0');
    EXPECT_EQ(path[MAX_PATH], L'#');
    ILFree(pidl);

    int notAList[8] = {};
    EXPECT_FALSE(SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(notAList), path));
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
}

TEST_F(FolderDialogTest, SpecialFolderLocationNamesTheFolder)
{
    PIDLIST_ABSOLUTE pidl = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl), S_OK);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
    WCHAR expected[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, expected, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(std::wstring(path), std::wstring(expected));
    CoTaskMemFree(pidl);
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x7F, &pidl), E_INVALIDARG);
    EXPECT_EQ(pidl, nullptr);
}
} // namespace
