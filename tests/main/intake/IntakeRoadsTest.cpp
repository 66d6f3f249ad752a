// Files reaching a tab by the three roads (drop, add-file dialog, add-folder dialog) on a real
// main window: the extension tables with letters in any case, names kept as chosen, folders,
// over-long names, refusals while a tab converts, clearing and the drag hint.
#include "tests/main/intake/IntakeKit.h"

#include "main/LineListUI.h"
#include "main/TipsDlg.h"

#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

using intaketest::LastToast;
using intaketest::MainWindow;
using testsupport::TempDir;
using testsupport::Wide;
using testsupport::WriteFile;
using Paths = std::vector<std::wstring>;

namespace
{
class IntakeRoads : public ::testing::Test
{
protected:
    // A real (empty) file of the test folder.
    std::wstring File(const std::string& name)
    {
        WriteFile(m_dir / name, "");
        return Wide(m_dir / name);
    }

    std::vector<std::wstring> Types(int tab)
    {
        std::vector<std::wstring> types;
        for (const FileItem* item : m_win.dlg().GetTabItems(tab))
            types.push_back(item->m_strType);
        return types;
    }

    TempDir m_dir{"intake"};
    MainWindow m_win;
};
} // namespace

TEST(IntakeTables, SuffixesOfEachTabWithLettersInAnyCase)
{
    const Paths normal = {L"/a/x.png", L"/a/x.jpg", L"/a/x.jpeg", L"/a/x.bmp",
                          L"/a/x.psd", L"/a/x.gif", L"/a/x.tif",  L"/a/x.tiff"};
    for (const std::wstring& path : normal)
    {
        std::wstring upper = path;
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(towupper(c));
        EXPECT_TRUE(CMainDlg::IsAcceptedFile(path, TAB_NORMAL)) << testsupport::Narrow(path);
        EXPECT_TRUE(CMainDlg::IsAcceptedFile(upper, TAB_NORMAL)) << testsupport::Narrow(upper);
        EXPECT_FALSE(CMainDlg::IsAcceptedFile(path, TAB_HEIC));
    }
    EXPECT_TRUE(CMainDlg::IsAcceptedFile(L"/a/IMG_0001.HEIC", TAB_HEIC));
    EXPECT_FALSE(CMainDlg::IsAcceptedFile(L"/a/x.heic", TAB_NORMAL));
    for (const wchar_t* path : {L"/a/x.Png", L"/a/x.JPG", L"/a/x.jpeg", L"/a/x.bMp"})
        EXPECT_TRUE(CMainDlg::IsAcceptedFile(path, TAB_COMPRESS));
    for (const wchar_t* path : {L"/a/x.psd", L"/a/x.gif", L"/a/x.tif", L"/a/x.heic"})
        EXPECT_FALSE(CMainDlg::IsAcceptedFile(path, TAB_COMPRESS));
    // The suffix must end the whole path; no other tab value takes anything.
    EXPECT_FALSE(CMainDlg::IsAcceptedFile(L"/a/x.png.txt", TAB_NORMAL));
    EXPECT_FALSE(CMainDlg::IsAcceptedFile(L"/a/xpng", TAB_NORMAL));
    EXPECT_FALSE(CMainDlg::IsAcceptedFile(L"/a/x.png", 3));
    EXPECT_FALSE(CMainDlg::IsAcceptedFile(L"/a/x.png", -1));
}

TEST(IntakeTables, TypeWordsInLowerCaseWhateverTheSuffixCase)
{
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/DCIM/PHOTO.JPG"), L"jpg");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/a/x.Jpeg"), L"jpeg");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/a/x.TIFF"), L"tiff");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/a/x.tif"), L"tif");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/a/x.HEIC"), L"heic");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/a/x.psd"), L"psd");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L"/a/x.webp"), L"unknow");
    EXPECT_EQ(CMainDlg::GetFileTypeWord(L""), L"unknow");
}

TEST_F(IntakeRoads, DropKeepsNamesAndTakesOnlyTheTabsSuffixes)
{
    const std::wstring photo = File("PHOTO.JPG");
    const std::wstring mixed = File("Photo.jpg");
    const std::wstring heic = File("IMG_1.HEIC");
    const std::wstring text = File("notes.txt");
    // A folder whose name ends in an accepted suffix is taken as a file of that name.
    std::filesystem::create_directory(m_dir / "album.png");
    const std::wstring album = Wide(m_dir / "album.png");

    ASSERT_TRUE(m_win.Drop({photo, text, mixed, heic, album}));
    EXPECT_EQ(m_win.Paths(TAB_NORMAL), (Paths{photo, mixed, album}));
    EXPECT_EQ(Types(TAB_NORMAL), (Paths{L"jpg", L"jpg", L"png"}));
    EXPECT_EQ(m_win.RowPaths(TAB_NORMAL), m_win.Paths(TAB_NORMAL));
    EXPECT_TRUE(m_win.Paths(TAB_HEIC).empty());

    // On the HEIC tab only the heic file is taken.
    m_win.dlg().m_pConvTab->SelectItem(TAB_HEIC);
    ASSERT_TRUE(m_win.Drop({photo, heic, text}));
    EXPECT_EQ(m_win.Paths(TAB_HEIC), (Paths{heic}));
    EXPECT_EQ(Types(TAB_HEIC), (Paths{L"heic"}));
    EXPECT_EQ(m_win.Paths(TAB_NORMAL).size(), 3u);
}

TEST_F(IntakeRoads, DropOutsideTheConversionPageAddsNothingAndIsReleased)
{
    const std::wstring photo = File("a.png");
    DragAcceptFiles(m_win.hwnd(), TRUE);
    m_win.dlg().m_pMainTab->SelectItem(1);
    ASSERT_TRUE(platform::headless::InjectDrop(m_win.hwnd(), {photo}, POINT{10, 10}));
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, m_win.hwnd(), WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
    const auto drop = reinterpret_cast<HDROP>(msg.wParam);
    EXPECT_EQ(m_win.dlg().OnDropFiles(drop), 0);
    EXPECT_EQ(DragQueryFileW(drop, DRAG_QUERY_COUNT, nullptr, 0), 0u) << "the drop was released";
    EXPECT_EQ(m_win.dlg().GetCurrentTab(), 3);
    EXPECT_TRUE(m_win.Paths(TAB_NORMAL).empty());

    m_win.dlg().m_pMainTab->SelectItem(0);
    ASSERT_TRUE(platform::headless::InjectDrop(m_win.hwnd(), {photo}, POINT{10, 10}));
    ASSERT_TRUE(::PeekMessageW(&msg, m_win.hwnd(), WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
    EXPECT_EQ(m_win.dlg().OnDropFiles(reinterpret_cast<HDROP>(msg.wParam)), 1);
    EXPECT_EQ(m_win.Paths(TAB_NORMAL), (Paths{photo}));
}

TEST_F(IntakeRoads, AddFileDialogKeepsTheChosenNames)
{
    const std::wstring photo = File("PHOTO.JPG");
    const std::wstring plain = File("b.png");
    const std::wstring other = File("c.txt");
    platform::headless::SetFileDialogAnswer(Paths{photo, plain, other});
    ASSERT_TRUE(dialogtest::ClickControl(&m_win.dlg(), L"nc_btn_add_file"));
    dialogtest::Pump();

    const platform::headless::FileDialogCall call = platform::headless::LastFileDialog();
    EXPECT_EQ(call.kind, platform::headless::FileDialogKind::OpenFile);
    EXPECT_EQ(call.owner, m_win.hwnd());
    EXPECT_EQ(call.flags, DWORD{0x80200});
    ASSERT_EQ(call.filters.size(), 1u);
    EXPECT_EQ(call.filters[0].first, L"图片(*.*)");
    wchar_t desktop[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
    EXPECT_EQ(call.initialDir, desktop);

    EXPECT_EQ(m_win.Paths(TAB_NORMAL), (Paths{photo, plain}));
    EXPECT_EQ(Types(TAB_NORMAL), (Paths{L"jpg", L"png"}));

    // One file alone comes back as its full path: the same rule splits it.
    platform::headless::SetFileDialogAnswer(Paths{photo});
    m_win.dlg().OnAddFile(TAB_COMPRESS);
    EXPECT_EQ(platform::headless::LastFileDialog().filters[0].second, L"*.png;*.jpg;*.jpeg;*.bmp");
    EXPECT_EQ(m_win.Paths(TAB_COMPRESS), (Paths{photo}));

    // Cancelled: nothing changes.
    platform::headless::SetFileDialogAnswer(std::nullopt);
    m_win.dlg().OnAddFile(TAB_HEIC);
    EXPECT_EQ(platform::headless::LastFileDialog().filters[0].first, L"图片(*.heic)");
    EXPECT_TRUE(m_win.Paths(TAB_HEIC).empty());
}

TEST_F(IntakeRoads, AddFolderTakesPlainFilesWithoutEnteringSubFolders)
{
    const std::wstring photo = File("PHOTO.JPG");
    File("readme.txt");
    File("clip.heic");
    std::filesystem::create_directory(m_dir / "sub.png");
    WriteFile(m_dir / "sub.png/inner.png", "");

    platform::headless::SetFileDialogAnswer(Paths{m_dir.wpath()});
    ASSERT_TRUE(dialogtest::ClickControl(&m_win.dlg(), L"nc_btn_add_folder"));
    dialogtest::Pump();
    const platform::headless::FileDialogCall call = platform::headless::LastFileDialog();
    EXPECT_EQ(call.kind, platform::headless::FileDialogKind::Folder);
    EXPECT_EQ(call.title, L"从下面选文件夹目录:");
    EXPECT_EQ(m_win.Paths(TAB_NORMAL), (Paths{photo}));
    EXPECT_EQ(Types(TAB_NORMAL), (Paths{L"jpg"}));

    // A folder without accepted files, and a cancelled dialog, change nothing and show nothing.
    TempDir empty{"empty"};
    WriteFile(empty / "x.doc", "");
    platform::headless::SetFileDialogAnswer(Paths{empty.wpath()});
    m_win.dlg().OnAddFolder(TAB_COMPRESS);
    platform::headless::SetFileDialogAnswer(std::nullopt);
    m_win.dlg().OnAddFolder(TAB_COMPRESS);
    EXPECT_TRUE(m_win.Paths(TAB_COMPRESS).empty());
    EXPECT_TRUE(m_win.HintVisible(TAB_COMPRESS));
    EXPECT_EQ(LastToast(), L"");
}

TEST_F(IntakeRoads, LongNamesAreTakenWholeAndNamesPastThePathLimitSkipped)
{
    // A real file deeper than the old 260-character buffers.
    std::string deep = m_dir.path();
    while (deep.size() < 400)
        deep += "/" + std::string(60, 'd');
    std::filesystem::create_directories(deep);
    WriteFile(deep + "/photo.png", "");
    const std::wstring longName = Wide(deep + "/photo.png");
    const std::wstring tooLong = L"/" + std::wstring(PATH_MAX, L'x') + L".png";
    const std::wstring photo = File("a.png");

    ASSERT_TRUE(m_win.Drop({tooLong, longName, photo}));
    EXPECT_EQ(m_win.Paths(TAB_NORMAL), (Paths{longName, photo}));

    platform::headless::SetFileDialogAnswer(Paths{longName});
    m_win.dlg().OnAddFile(TAB_COMPRESS);
    EXPECT_EQ(m_win.Paths(TAB_COMPRESS), (Paths{longName}));
}

TEST_F(IntakeRoads, ConvertingTabRefusesChangesWithAToastOthersStillTakeFiles)
{
    const std::wstring photo = File("a.png");
    const std::wstring heic = File("b.heic");
    m_win.dlg().AddFiles(TAB_NORMAL, {photo});
    m_win.dlg().m_tabs[TAB_NORMAL].m_bConverting = true;

    m_win.dlg().AddFiles(TAB_NORMAL, {photo});
    EXPECT_EQ(LastToast(), L"正在处理数据中，请稍后添加...");
    CloseAllTips();
    dialogtest::Pump();
    ASSERT_TRUE(m_win.Drop({photo}));
    EXPECT_EQ(LastToast(), L"正在处理数据中，请稍后添加...");

    // The dialogs do not even open: the last dialog stays the cancelled folder dialog of
    // the HEIC tab.
    platform::headless::SetFileDialogAnswer(std::nullopt);
    m_win.dlg().OnAddFolder(TAB_HEIC);
    platform::headless::SetFileDialogAnswer(Paths{photo});
    m_win.dlg().OnAddFile(TAB_NORMAL);
    EXPECT_EQ(platform::headless::LastFileDialog().kind, platform::headless::FileDialogKind::Folder);
    EXPECT_EQ(LastToast(), L"正在处理数据中，请稍后添加...");
    CloseAllTips();
    dialogtest::Pump();
    platform::headless::SetFileDialogAnswer(Paths{m_dir.wpath()});
    m_win.dlg().OnAddFolder(TAB_NORMAL);
    EXPECT_EQ(LastToast(), L"正在处理数据中，请稍后添加...");
    m_win.dlg().ClearList(TAB_NORMAL);
    EXPECT_EQ(LastToast(), L"正在处理数据中，请稍后清空...");
    EXPECT_EQ(m_win.Paths(TAB_NORMAL), (Paths{photo}));
    EXPECT_EQ(m_win.dlg().GetTabList(TAB_NORMAL)->GetCount(), 1);

    // Another tab still takes files; the output folder is locked by any job.
    m_win.dlg().AddFiles(TAB_HEIC, {heic});
    EXPECT_EQ(m_win.Paths(TAB_HEIC), (Paths{heic}));
    const std::wstring before = m_win.dlg().m_strOutDir;
    platform::headless::SetFileDialogAnswer(Paths{m_dir.wpath()});
    m_win.dlg().ModifyOutDir();
    EXPECT_EQ(LastToast(), L"有数据正在处理中，请稍后修改...");
    EXPECT_EQ(m_win.dlg().m_strOutDir, before);

    // Once the job is over the same file goes in with the next id.
    m_win.dlg().m_tabs[TAB_NORMAL].m_bConverting = false;
    m_win.dlg().AddFiles(TAB_NORMAL, {photo});
    ASSERT_EQ(m_win.dlg().GetTabItems(TAB_NORMAL).size(), 2u);
    EXPECT_EQ(m_win.dlg().GetTabItems(TAB_NORMAL)[1]->m_nId, 2);
}

TEST_F(IntakeRoads, ClearKeepsTheIdCountAndTheHintFollowsTheRows)
{
    const std::wstring a = File("a.png");
    const std::wstring b = File("b.bmp");
    EXPECT_TRUE(m_win.HintVisible(TAB_NORMAL));
    // The same file twice is two items with two ids and two rows, in order of addition.
    m_win.dlg().AddFiles(TAB_NORMAL, {a, b, a});
    EXPECT_FALSE(m_win.HintVisible(TAB_NORMAL));
    EXPECT_EQ(m_win.RowPaths(TAB_NORMAL), (Paths{a, b, a}));
    std::vector<int> ids;
    for (const FileItem* item : m_win.dlg().GetTabItems(TAB_NORMAL))
        ids.push_back(item->m_nId);
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));

    ASSERT_TRUE(dialogtest::ClickControl(&m_win.dlg(), L"nc_btn_clear"));
    dialogtest::Pump();
    EXPECT_TRUE(m_win.dlg().GetTabItems(TAB_NORMAL).empty());
    EXPECT_EQ(m_win.dlg().GetTabList(TAB_NORMAL)->GetCount(), 0);
    EXPECT_TRUE(m_win.HintVisible(TAB_NORMAL));

    m_win.dlg().AddFiles(TAB_NORMAL, {b});
    ASSERT_EQ(m_win.dlg().GetTabItems(TAB_NORMAL).size(), 1u);
    EXPECT_EQ(m_win.dlg().GetTabItems(TAB_NORMAL)[0]->m_nId, 4);
    EXPECT_FALSE(m_win.HintVisible(TAB_NORMAL));
    EXPECT_TRUE(m_win.HintVisible(TAB_HEIC)) << "each tab has its own hint";
}

TEST_F(IntakeRoads, NewItemsTakeTheTabsOutputTypeAndKind)
{
    const std::wstring a = File("a.png");
    auto* jpg = static_cast<DuiLib::COptionUI*>(m_win.dlg().GetPaintManager().FindControl(L"cc_radio_bmp"));
    ASSERT_NE(jpg, nullptr);
    EXPECT_EQ(m_win.dlg().GetOutType(TAB_COMPRESS), 0);
    jpg->Selected(true);
    EXPECT_EQ(m_win.dlg().GetOutType(TAB_COMPRESS), 2);
    EXPECT_EQ(m_win.dlg().GetOutType(TAB_NORMAL), 0) << "each tab has its own options";
    m_win.dlg().AddFiles(TAB_COMPRESS, {a});
    ASSERT_EQ(m_win.dlg().GetTabItems(TAB_COMPRESS).size(), 1u);
    const FileItem& item = *m_win.dlg().GetTabItems(TAB_COMPRESS)[0];
    EXPECT_EQ(item.m_nOutType, 2);
    EXPECT_EQ(item.m_nKind, TAB_COMPRESS);
    EXPECT_EQ(item.m_nStatus, FILE_WAITING);
    EXPECT_EQ(item.m_nResize, 100);
    EXPECT_EQ(item.m_nQuality, 80);
    EXPECT_TRUE(item.m_strOutPath.empty());
}

TEST_F(IntakeRoads, DeletingTheLastRowLeavesTheHintHiddenUntilTheListIsCleared)
{
    m_win.dlg().AddFiles(TAB_NORMAL, {File("a.png")});
    ASSERT_TRUE(m_win.ClickRow(TAB_NORMAL, 0, L"op_del"));
    EXPECT_TRUE(m_win.dlg().GetTabItems(TAB_NORMAL).empty());
    EXPECT_EQ(m_win.dlg().GetTabList(TAB_NORMAL)->GetCount(), 0);
    EXPECT_FALSE(m_win.HintVisible(TAB_NORMAL));
    m_win.dlg().ClearList(TAB_NORMAL);
    EXPECT_TRUE(m_win.HintVisible(TAB_NORMAL));
}
