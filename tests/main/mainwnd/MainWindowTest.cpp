// The main window on its real embedded skin: the layout it promises, the routes of clicks,
// notifications and private messages, the output-type guard, and how the program ends.
#include "tests/support/MainWindowKit.h"

#include "common/dialog/SingleInstance.h"
#include "common/http/HttpMgr.h"
#include "main/LineListUI.h"
#include "main/MagickDriver.h"
#include "main/SettingDlg.h"
#include "main/TipsDlg.h"

#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "platform/WindowFinder.h"
#include "ui/ComboUI.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace DuiLib;
using namespace mainwndtest;

namespace
{
const wchar_t* const kModifyRefused = L"正在处理数据中，请稍后修改...";

bool IsSelected(CControlUI* option)
{
    return static_cast<COptionUI*>(option)->IsSelected();
}

// A stand-in for the desktop's opener: records the target it was given.
class RecordingOpener
{
public:
    explicit RecordingOpener(const testsupport::TempDir& dir) : m_log(dir / "opened.txt")
    {
        const std::string script = dir / "opener.sh";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << m_log << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        platform::SetShellOpener(testsupport::Wide(script));
    }
    ~RecordingOpener() { platform::SetShellOpener(L""); }
    // The targets opened so far, waiting a little for the detached opener to write.
    std::string Opened(size_t atLeast = 1) const
    {
        std::string text;
        PumpUntil(
            [&] {
                std::ifstream in(m_log);
                text.assign(std::istreambuf_iterator<char>(in), {});
                return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= atLeast;
            },
            5000);
        return text;
    }

private:
    std::string m_log;
};
} // namespace

// ---- The skin --------------------------------------------------------------------------------

TEST_F(MainWindowTest, SkinGivesTheFixedSizeAndEveryNamedControl)
{
    RECT rc{};
    ::GetWindowRect(m_hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 1000);
    EXPECT_EQ(rc.bottom - rc.top, 640);
    EXPECT_EQ(::GetWindowLongW(m_hwnd, GWL_STYLE) & 0x50000, 0) << "neither maximisable nor resizable";
    EXPECT_EQ(g_hMainWnd, m_hwnd);

    for (LPCTSTR name : {L"title",        L"btn_mycenter", L"btn_login",   L"btn_contact", L"btn_help",
                         L"minBtn",       L"closeBtn",     L"main_tab",    L"op_normal",   L"op_heic",
                         L"op_compress",  L"conv_tab",     L"version_txt", L"wkePay",      L"load_layout",
                         L"loadErrorImg", L"loadingAnim",  L"loadingTxt",  L"btnRefresh",  L"btn_back"})
        EXPECT_NE(Control(name), nullptr) << testsupport::Narrow(name);
    EXPECT_FALSE(Control(L"btn_mycenter")->IsVisible());
    EXPECT_EQ(Control(L"btn_mycenter")->GetText(), L"我是xxxxxxxxx");
    EXPECT_EQ(std::wstring(Control(L"btn_mycenter")->GetBkImage()),
              L"file='default_title.png' dest='0,0,30,30'");
    EXPECT_EQ(std::wstring(Control(L"version_txt")->GetText().GetData()).rfind(L"当前版本：", 0), 0u);

    for (const std::wstring prefix : {L"nc_", L"hc_", L"cc_"})
    {
        for (const wchar_t* suffix : {L"list", L"btn_drag", L"btn_add_file", L"btn_add_folder", L"btn_clear",
                                      L"radio_png", L"radio_jpg", L"radio_bmp", L"edit_path",
                                      L"btn_modify_path", L"btn_start_conv", L"btn_cancel_conv"})
            EXPECT_NE(Control((prefix + suffix).c_str()), nullptr) << testsupport::Narrow(prefix + suffix);
        EXPECT_TRUE(IsSelected(Control((prefix + L"radio_png").c_str())));
        EXPECT_EQ(Control((prefix + L"btn_start_conv").c_str())->GetText(), L"开始转换");
        EXPECT_FALSE(Control((prefix + L"btn_cancel_conv").c_str())->IsVisible());
        EXPECT_EQ(Control((prefix + L"edit_path").c_str())->GetText(),
                  testsupport::Wide(m_out.path()).c_str());
    }
    EXPECT_NE(m_dlg->GetTabList(TAB_NORMAL)->GetInterface(L"LineList"), nullptr) << "the rows' own list";

    // The drag hint's picture is drawn at the size the hint is shown, so nothing is stretched.
    const TImageInfo* hint = m_dlg->GetPaintManager().GetImageEx(L"drag_hint.png");
    ASSERT_NE(hint, nullptr);
    for (LPCTSTR name : {L"nc_btn_drag", L"hc_btn_drag", L"cc_btn_drag"})
    {
        ASSERT_TRUE(Click(name == std::wstring(L"nc_btn_drag")   ? L"op_normal"
                          : name == std::wstring(L"hc_btn_drag") ? L"op_heic"
                                                                 : L"op_compress"));
        const RECT shown = Control(name)->GetPos();
        EXPECT_EQ(hint->nX, shown.right - shown.left) << testsupport::Narrow(name);
        EXPECT_EQ(hint->nY, shown.bottom - shown.top) << testsupport::Narrow(name);
    }
    ASSERT_TRUE(Click(L"op_normal"));

    // Start and cancel share one place.
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = false;
    const RECT start = Control(L"nc_btn_start_conv")->GetPos();
    Control(L"nc_btn_start_conv")->SetVisible(false);
    Control(L"nc_btn_cancel_conv")->SetVisible(true);
    Pump();
    m_dlg->GetPaintManager().NeedUpdate();
    ::UpdateWindow(m_hwnd);
    Pump();
    const RECT cancel = Control(L"nc_btn_cancel_conv")->GetPos();
    EXPECT_EQ(start.left, cancel.left);
    EXPECT_EQ(start.top, cancel.top);
}

// ---- Clicks --------------------------------------------------------------------------------

TEST_F(MainWindowTest, SideOptionsTurnTheConversionPagesAlsoWhileATabConverts)
{
    auto* convTab = ControlAs<CTabLayoutUI>(L"conv_tab");
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = true;
    ASSERT_TRUE(Click(L"op_heic"));
    EXPECT_EQ(convTab->GetCurSel(), TAB_HEIC);
    ASSERT_TRUE(Click(L"op_compress"));
    EXPECT_EQ(convTab->GetCurSel(), TAB_COMPRESS);
    ASSERT_TRUE(Click(L"op_normal"));
    EXPECT_EQ(convTab->GetCurSel(), TAB_NORMAL);
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = false;
}

TEST_F(MainWindowTest, IntakeButtonsReachTheirTabs)
{
    const std::string image = MakeImage(m_dir / "a.heic.png");
    const std::string heic = m_dir / "b.heic";
    std::filesystem::copy_file(image, heic);

    platform::headless::SetFileDialogAnswer(std::vector<std::wstring>{testsupport::Wide(image)});
    ASSERT_TRUE(Click(L"nc_btn_add_file"));
    EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL).size(), 1u);
    EXPECT_EQ(platform::headless::LastFileDialog().kind, platform::headless::FileDialogKind::OpenFile);

    ASSERT_TRUE(Click(L"op_heic"));
    platform::headless::SetFileDialogAnswer(std::vector<std::wstring>{testsupport::Wide(heic)});
    ASSERT_TRUE(Click(L"hc_btn_drag"));
    EXPECT_EQ(m_dlg->GetTabItems(TAB_HEIC).size(), 1u);
    EXPECT_FALSE(Control(L"hc_btn_drag")->IsVisible()) << "the hint goes with the first row";

    ASSERT_TRUE(Click(L"op_compress"));
    platform::headless::SetFileDialogAnswer(std::vector<std::wstring>{testsupport::Wide(m_dir.path())});
    ASSERT_TRUE(Click(L"cc_btn_add_folder"));
    EXPECT_EQ(platform::headless::LastFileDialog().kind, platform::headless::FileDialogKind::Folder);
    EXPECT_EQ(platform::headless::LastFileDialog().initialDir, testsupport::Wide(std::getenv("HOME")))
        << "a folder to add is looked for from the home folder";
    EXPECT_EQ(m_dlg->GetTabItems(TAB_COMPRESS).size(), 1u) << "the folder's one png";

    ASSERT_TRUE(Click(L"op_normal"));
    ASSERT_TRUE(Click(L"nc_btn_clear"));
    EXPECT_TRUE(m_dlg->GetTabItems(TAB_NORMAL).empty());
    EXPECT_TRUE(Control(L"nc_btn_drag")->IsVisible());

    testsupport::TempDir other("other");
    platform::headless::SetFileDialogAnswer(std::vector<std::wstring>{other.wpath()});
    ASSERT_TRUE(Click(L"nc_btn_modify_path"));
    EXPECT_EQ(platform::headless::LastFileDialog().initialDir, testsupport::Wide(m_out.path()))
        << "the output folder is changed starting from the current one";
    EXPECT_EQ(m_dlg->m_strOutDir, other.wpath());
    EXPECT_EQ(Control(L"cc_edit_path")->GetText(), other.wpath().c_str());
    platform::headless::SetFileDialogAnswer(std::nullopt);
}

TEST_F(MainWindowTest, DroppedFilesReachTheCurrentTab)
{
    const std::string image = MakeImage(m_dir / "dropped.jpg");
    ASSERT_TRUE(platform::headless::InjectDrop(m_hwnd, {testsupport::Wide(image)}, POINT{500, 300}));
    ASSERT_TRUE(PumpUntil([&] { return m_dlg->GetTabItems(TAB_NORMAL).size() == 1; }));
    EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL)[0]->m_strPath, testsupport::Wide(image));
}

TEST_F(MainWindowTest, StartOnAnEmptyTabOnlyShowsTheToast)
{
    ASSERT_TRUE(Click(L"nc_btn_start_conv"));
    EXPECT_EQ(OpenToasts(), std::vector<std::wstring>{L"请先添加文件..."});
    EXPECT_TRUE(Control(L"nc_btn_start_conv")->IsVisible());
    EXPECT_FALSE(m_dlg->IsConverting(TAB_NORMAL));
}

TEST_F(MainWindowTest, MinimiseBackAndSitePages)
{
    RecordingOpener opener(m_dir);
    ASSERT_TRUE(Click(L"btn_contact"));
    ASSERT_TRUE(Click(L"btn_help"));
    const std::string opened = opener.Opened(2);
    // Each with the service query of the installation, as every address of the service.
    const std::string query = "?version=" + testsupport::Narrow(m_dlg->m_strVersion) +
                              "&channel=" + testsupport::Narrow(m_dlg->m_strChannel) +
                              "&machineid=" + testsupport::Narrow(m_dlg->m_strMachineId) + "\n";
    EXPECT_NE(opened.find("/contact" + query), std::string::npos) << opened;
    EXPECT_NE(opened.find("/help" + query), std::string::npos) << opened;
    EXPECT_EQ(opened.rfind("https://", 0), 0u) << opened;

    ControlAs<CTabLayoutUI>(L"main_tab")->SelectItem(1);
    Pump();
    ASSERT_TRUE(Click(L"btn_back"));
    EXPECT_EQ(ControlAs<CTabLayoutUI>(L"main_tab")->GetCurSel(), 0);

    ASSERT_TRUE(Click(L"minBtn"));
    platform::headless::WindowSnapshot snapshot;
    ASSERT_TRUE(platform::headless::Snapshot(m_hwnd, &snapshot));
    EXPECT_TRUE(snapshot.minimized);
    EXPECT_FALSE(g_bAppExit) << "minimising is not leaving";
}

// ---- Rows ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, RowButtonsActOnTheirOwnRowAndAreRefusedWhileTheTabConverts)
{
    // The compression tab's rows show all four buttons.
    ASSERT_TRUE(Click(L"op_compress"));
    AddImages(TAB_COMPRESS, 3);
    RecordingOpener opener(m_dir);
    // Rows of a finished run, so that every row button shows.
    for (FileItem* item : m_dlg->GetTabItems(TAB_COMPRESS))
    {
        item->m_nStatus = FILE_DONE;
        item->m_nProgress = 100;
    }
    m_dlg->GetTabList(TAB_COMPRESS)->SortLines();
    Pump();

    m_dlg->m_tabs[TAB_COMPRESS].m_bConverting = true;
    for (auto [name, refusal] :
         {std::pair{L"op_folder", L"正在处理数据中，请稍后打开..."},
          std::pair{L"op_scan", L"正在处理数据中，请稍后查看..."}, std::pair{L"op_setting", kModifyRefused},
          std::pair{L"op_del", L"正在处理数据中，请稍后删除..."}})
    {
        ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 1, name))) << testsupport::Narrow(name);
        ASSERT_FALSE(OpenToasts().empty());
        EXPECT_EQ(OpenToasts().back(), refusal);
    }
    EXPECT_EQ(m_dlg->GetTabItems(TAB_COMPRESS).size(), 3u);
    m_dlg->m_tabs[TAB_COMPRESS].m_bConverting = false;

    // No output path: nothing to open.
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 0, L"op_scan")));
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 0, L"op_folder")));
    m_dlg->GetTabItems(TAB_COMPRESS)[1]->m_strOutPath = testsupport::Wide(MakeImage(m_out / "in2_1.png"));
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 1, L"op_folder")));
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 1, L"op_scan")));
    // Two detached openers: their lines may land in either order.
    const std::string opened = opener.Opened(2);
    EXPECT_EQ(std::count(opened.begin(), opened.end(), '\n'), 2) << opened;
    EXPECT_NE(opened.find(m_out.path() + "\n"), std::string::npos) << opened;
    EXPECT_NE(opened.find((m_out / "in2_1.png") + "\n"), std::string::npos) << opened;

    const int deletedId = m_dlg->GetTabItems(TAB_COMPRESS)[1]->m_nId;
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 1, L"op_del")));
    ASSERT_EQ(m_dlg->GetTabItems(TAB_COMPRESS).size(), 2u);
    EXPECT_EQ(m_dlg->GetTabList(TAB_COMPRESS)->GetCount(), 2);
    for (FileItem* item : m_dlg->GetTabItems(TAB_COMPRESS))
        EXPECT_NE(item->m_nId, deletedId);
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 1, L"op_del")));
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 0, L"op_del")));
    EXPECT_TRUE(m_dlg->GetTabItems(TAB_COMPRESS).empty());
    EXPECT_FALSE(Control(L"cc_btn_drag")->IsVisible()) << "deleting the last row leaves the hint hidden";
}

namespace
{
// What the user does in the settings dialog once it is open (from a timer, inside its loop).
bool g_confirmSetting = false;
int g_settingSeen = 0;
void CALLBACK ActOnSettingDialog(HWND, UINT, UINT_PTR, DWORD)
{
    const HWND window = ::FindWindowW(L"SettingDlg", nullptr);
    if (window == nullptr || !::IsWindowVisible(window))
        return;
    auto* dialog =
        static_cast<CSettingDlg*>(reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
    dialog->m_item.m_nResize = 50;
    dialog->m_item.m_nQuality = 60;
    ++g_settingSeen;
    dialog->Close(g_confirmSetting ? 2 : 0);
}
} // namespace

TEST_F(MainWindowTest, RowSettingsTakeTheDialogsValuesOnlyWhenConfirmed)
{
    ASSERT_TRUE(Click(L"op_compress"));
    AddImages(TAB_COMPRESS, 1);
    FileItem* item = m_dlg->GetTabItems(TAB_COMPRESS)[0];
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ActOnSettingDialog);

    g_confirmSetting = false;
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 0, L"op_setting")));
    EXPECT_EQ(item->m_nResize, 100);
    EXPECT_EQ(item->m_nQuality, 80);

    g_confirmSetting = true;
    ASSERT_TRUE(Click(RowControl(TAB_COMPRESS, 0, L"op_setting")));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_settingSeen, 2);
    EXPECT_EQ(item->m_nResize, 50);
    EXPECT_EQ(item->m_nQuality, 60);
    EXPECT_EQ(::FindWindowW(L"SettingDlg", nullptr), nullptr) << "the dialog is gone";
}

// ---- Output types --------------------------------------------------------------------------

TEST_F(MainWindowTest, ARowsComboChangesOnlyThatRowUntilTheTabsOptionOverwritesAll)
{
    AddImages(TAB_NORMAL, 2);
    auto* combo = static_cast<CComboUI*>(RowControl(TAB_NORMAL, 1, L"combo_out_type"));
    ASSERT_NE(combo, nullptr);
    combo->SelectItem(2);
    Pump();
    EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL)[0]->m_nOutType, 0);
    EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL)[1]->m_nOutType, 2);

    // Allowed while the tab converts: the worker took its copies.
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = true;
    combo->SelectItem(1);
    Pump();
    EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL)[1]->m_nOutType, 1);
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = false;

    ASSERT_TRUE(Click(L"nc_radio_jpg"));
    for (FileItem* item : m_dlg->GetTabItems(TAB_NORMAL))
        EXPECT_EQ(item->m_nOutType, 1);
    EXPECT_EQ(static_cast<CComboUI*>(RowControl(TAB_NORMAL, 0, L"combo_out_type"))->GetCurSel(), 1);
    ASSERT_TRUE(Click(L"nc_radio_bmp"));
    EXPECT_EQ(static_cast<CComboUI*>(RowControl(TAB_NORMAL, 1, L"combo_out_type"))->GetCurSel(), 2);
}

TEST_F(MainWindowTest, OutputTypeClickOnAConvertingTabIsSwallowedWithTheToast)
{
    ASSERT_TRUE(Click(L"op_heic"));
    // Only the normal tab converts: the HEIC tab's option changes.
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = true;
    ASSERT_TRUE(Click(L"hc_radio_bmp"));
    EXPECT_TRUE(IsSelected(Control(L"hc_radio_bmp")));
    EXPECT_TRUE(OpenToasts().empty());

    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = false;
    m_dlg->m_tabs[TAB_HEIC].m_bConverting = true;
    ASSERT_TRUE(Click(L"hc_radio_png"));
    EXPECT_FALSE(IsSelected(Control(L"hc_radio_png")));
    EXPECT_TRUE(IsSelected(Control(L"hc_radio_bmp")));
    EXPECT_EQ(OpenToasts(), std::vector<std::wstring>{kModifyRefused});
    // Other controls of the converting tab still take clicks.
    ASSERT_TRUE(Click(L"op_normal"));
    EXPECT_EQ(ControlAs<CTabLayoutUI>(L"conv_tab")->GetCurSel(), TAB_NORMAL);
    m_dlg->m_tabs[TAB_HEIC].m_bConverting = false;
}

TEST_F(MainWindowTest, OutputTypeOfAConvertingTabHoldsOnEveryRoad)
{
    AddImages(TAB_NORMAL, 2);
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = true;
    CControlUI* png = Control(L"nc_radio_png");
    CControlUI* jpg = Control(L"nc_radio_jpg");
    CControlUI* bmp = Control(L"nc_radio_bmp");
    auto expectKept = [&](const char* road) {
        EXPECT_TRUE(IsSelected(png)) << road;
        EXPECT_FALSE(IsSelected(jpg) || IsSelected(bmp)) << road;
        for (FileItem* item : m_dlg->GetTabItems(TAB_NORMAL))
            EXPECT_EQ(item->m_nOutType, 0) << road;
        const std::vector<std::wstring> toasts = OpenToasts();
        EXPECT_FALSE(toasts.empty()) << road;
        EXPECT_TRUE(std::all_of(toasts.begin(), toasts.end(),
                                [](const std::wstring& t) { return t == kModifyRefused; }));
        CloseAllTips();
        PumpUntil([] { return g_vecTips.empty(); }, 3000);
    };

    // A double click: its second press arrives as a double-click message.
    const RECT rc = jpg->GetPos();
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        platform::headless::InjectMessage(m_hwnd, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    Pump();
    expectKept("double click");

    // The keyboard: Tab to the option, then Space.
    for (int presses = 0; presses < 100 && !bmp->IsFocused(); ++presses)
    {
        platform::headless::InjectMessage(m_hwnd, WM_KEYDOWN, VK_TAB, 0);
        Pump();
    }
    ASSERT_TRUE(bmp->IsFocused());
    platform::headless::InjectMessage(m_hwnd, WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    expectKept("keyboard");

    // Any other road that selects an option ends in its "selectchanged".
    static_cast<COptionUI*>(jpg)->Selected(true);
    Pump();
    expectKept("selectchanged");

    // Once the run is over the same key changes every row.
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = false;
    platform::headless::InjectMessage(m_hwnd, WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    EXPECT_TRUE(IsSelected(bmp));
    for (FileItem* item : m_dlg->GetTabItems(TAB_NORMAL))
        EXPECT_EQ(item->m_nOutType, 2);
    EXPECT_TRUE(OpenToasts().empty());
}

// ---- Conversion results ---------------------------------------------------------------------

TEST_F(MainWindowTest, ARealRunUpdatesRowsAndButtons)
{
    MagickStartup(PICTAVO_MAGICK_CONFIG_DIR);
    AddImages(TAB_NORMAL, 3);
    // One broken file among them fails alone.
    const std::string broken = m_dir / "broken.png";
    std::ofstream(broken) << "not an image";
    m_dlg->AddFiles(TAB_NORMAL, {testsupport::Wide(broken)});

    ASSERT_TRUE(Click(L"nc_btn_start_conv"));
    // The click's own pump may already have taken every (small) result: the swapped buttons
    // can only be seen while the run lasts.
    if (m_dlg->IsConverting(TAB_NORMAL))
    {
        EXPECT_FALSE(Control(L"nc_btn_start_conv")->IsVisible());
        EXPECT_TRUE(Control(L"nc_btn_cancel_conv")->IsVisible());
    }
    ASSERT_TRUE(PumpUntil([&] { return !m_dlg->IsConverting(TAB_NORMAL); }, 30000));
    EXPECT_TRUE(Control(L"nc_btn_start_conv")->IsVisible());
    EXPECT_FALSE(Control(L"nc_btn_cancel_conv")->IsVisible());

    for (int row = 0; row < 3; ++row)
    {
        EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL)[row]->m_nStatus, FILE_DONE);
        EXPECT_TRUE(
            std::filesystem::exists(testsupport::Narrow(m_dlg->GetTabItems(TAB_NORMAL)[row]->m_strOutPath)));
        EXPECT_EQ(RowControl(TAB_NORMAL, row, L"progress_value")->GetText(), L"100%");
    }
    EXPECT_EQ(m_dlg->GetTabItems(TAB_NORMAL)[3]->m_nStatus, FILE_FAILED);
    EXPECT_TRUE(RowControl(TAB_NORMAL, 3, L"error_info")->IsVisible());
}

TEST_F(MainWindowTest, ResultMessagesOfEachTabReachTheirRowsAndEndTheRun)
{
    AddImages(TAB_HEIC, 2);
    AddImages(TAB_COMPRESS, 1);
    struct Case
    {
        UINT message;
        int tab;
        LPCTSTR start;
        LPCTSTR cancel;
    };
    for (const Case& c :
         {Case{WM_HC_CONVERT_RESULT, TAB_HEIC, L"hc_btn_start_conv", L"hc_btn_cancel_conv"},
          Case{WM_CC_CONVERT_RESULT, TAB_COMPRESS, L"cc_btn_start_conv", L"cc_btn_cancel_conv"}})
    {
        ASSERT_TRUE(Click(c.tab == TAB_HEIC ? L"op_heic" : L"op_compress"));
        // A run whose worker cannot reach the files: the results below are the window's input.
        std::vector<FileItem*>& items = m_dlg->GetTabItems(c.tab);
        m_dlg->m_tabs[c.tab].m_bConverting = true;
        Control(c.start)->SetVisible(false);
        Control(c.cancel)->SetVisible(true);

        auto* record = new ConvertResultRecord;
        static_cast<FileItem&>(*record) = *items.back();
        record->m_nCode = -1;
        record->m_strOutPath = L"/nowhere/x.jpg";
        record->m_bLast = true;
        EXPECT_EQ(::SendMessageW(m_hwnd, c.message, reinterpret_cast<WPARAM>(record), 0), 0);
        EXPECT_EQ(items.back()->m_nStatus, FILE_FAILED);
        EXPECT_EQ(items.back()->m_nProgress, 100);
        EXPECT_EQ(items.back()->m_strOutPath, L"/nowhere/x.jpg");
        EXPECT_TRUE(RowControl(c.tab, static_cast<int>(items.size()) - 1, L"error_info")->IsVisible());
        EXPECT_FALSE(m_dlg->IsConverting(c.tab));
        EXPECT_TRUE(Control(c.start)->IsVisible());
        EXPECT_FALSE(Control(c.cancel)->IsVisible());
    }
}

TEST_F(MainWindowTest, CancelShowsStartAgainAtOnce)
{
    AddImages(TAB_NORMAL, 1);
    m_dlg->m_tabs[TAB_NORMAL].m_bConverting = true;
    Control(L"nc_btn_start_conv")->SetVisible(false);
    Control(L"nc_btn_cancel_conv")->SetVisible(true);
    Pump();
    ASSERT_TRUE(Click(L"nc_btn_cancel_conv"));
    EXPECT_FALSE(m_dlg->IsConverting(TAB_NORMAL));
    EXPECT_TRUE(Control(L"nc_btn_start_conv")->IsVisible());
    EXPECT_FALSE(Control(L"nc_btn_cancel_conv")->IsVisible());
}

// ---- Private messages ------------------------------------------------------------------------

TEST_F(MainWindowTest, AnHttpReplyIsDeletedByTheWindow)
{
    // The sanitizer build reports the reply as leaked if the window keeps it.
    auto* reply = new HttpReply;
    reply->body.assign(4096, 'x');
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_HTTP_REPLY, reinterpret_cast<WPARAM>(reply), 0), 1);
    ASSERT_TRUE(::PostMessageW(m_hwnd, WM_HTTP_REPLY, reinterpret_cast<WPARAM>(new HttpReply), 0));
    Pump();
}

TEST_F(MainWindowTest, ASecondCopysSignalShowsTheHiddenWindow)
{
    ::ShowWindow(m_hwnd, SW_HIDE);
    COPYDATASTRUCT data{};
    data.dwData = 0;
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_COPYDATA, ACTIVATE_RUNNING_INSTANCE, reinterpret_cast<LPARAM>(&data)),
              0);
    EXPECT_TRUE(::IsWindowVisible(m_hwnd));

    ::ShowWindow(m_hwnd, SW_HIDE);
    ::SendMessageW(m_hwnd, WM_COPYDATA, ACTIVATE_RUNNING_INSTANCE + 1, reinterpret_cast<LPARAM>(&data));
    EXPECT_FALSE(::IsWindowVisible(m_hwnd)) << "any other signal does nothing";
}

TEST_F(MainWindowTest, MessagesOfLaterPartsPassUnhandled)
{
    // The login messages are answered by the web page panel (tests/main/webpanel).
    EXPECT_EQ(::SendMessageW(m_hwnd, WM_TRAY_NOTIFY, 0, 0), 0);
    EXPECT_TRUE(::IsWindow(m_hwnd));
}

// ---- Leaving -----------------------------------------------------------------------------

TEST_F(MainWindowTest, AltF4AndTheCloseButtonEndTheProgram)
{
    for (const bool altF4 : {true, false})
    {
        g_bAppExit = false;
        TakeQuitMessage();
        ::ShowWindow(m_hwnd, SW_SHOW);
        ShowTips(m_hwnd, L"提示");
        ASSERT_EQ(OpenToasts().size(), 1u);
        if (altF4)
            platform::headless::InjectMessage(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            ASSERT_TRUE(Click(L"closeBtn"));
        Pump();
        EXPECT_TRUE(g_bAppExit);
        EXPECT_TRUE(TakeQuitMessage()) << "the message loop ends";
        EXPECT_FALSE(::IsWindowVisible(m_hwnd)) << "hidden, not minimised to a tray";
        ASSERT_TRUE(PumpUntil([] { return g_vecTips.empty(); }, 3000)) << "toasts closed";
        EXPECT_TRUE(::IsWindow(m_hwnd)) << "the window goes with the process";
    }
}

TEST_F(MainWindowTest, LeavingDuringALargeConversionStopsItAndLetsANewStartInAtOnce)
{
    MagickStartup(PICTAVO_MAGICK_CONFIG_DIR);
    const LPCWSTR instance = L"{A0000000-0000-0000-0000-00000000E1A7}";
    ASSERT_FALSE(CheckSingleInstance(instance, L"nobody")) << "this copy runs";
    const std::string large = MakeImage(m_dir / "large.png", "-size 2500x2500 xc:gray +noise Random");
    m_dlg->AddFiles(TAB_COMPRESS, {testsupport::Wide(large)});
    m_dlg->GetTabItems(TAB_COMPRESS)[0]->m_nResize = 400; // a conversion of many seconds
    ASSERT_TRUE(Click(L"op_compress"));
    ASSERT_TRUE(Click(L"cc_btn_start_conv"));
    auto outputs = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_out.path()))
            names.push_back(entry.path().filename().string());
        return names;
    };
    ASSERT_TRUE(PumpUntil([&] { return !outputs().empty(); }, 20000)) << "the conversion has begun";

    ASSERT_TRUE(Click(L"closeBtn"));
    EXPECT_FALSE(CheckSingleInstance(instance, L"nobody")) << "a new start is not kept waiting";
    ReleaseSingleInstance();
    // What the program does after its message loop: the window goes, once its worker stopped.
    ::DestroyWindow(m_hwnd);
    EXPECT_EQ(::FindWindowW(L"MainDlg", nullptr), nullptr) << "nobody finds the leaving window";
    EXPECT_TRUE(outputs().empty()) << "the stopped conversion left nothing";
}

TEST_F(MainWindowTest, DestroyingTheWindowFreesItsItemsAndEndsTheLoop)
{
    AddImages(TAB_NORMAL, 2);
    AddImages(TAB_HEIC, 1);
    ::DestroyWindow(m_hwnd); // the sanitizer build reports items or the window object leaked
    EXPECT_TRUE(g_bAppExit);
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_FALSE(::IsWindow(m_hwnd));
}

TEST_F(MainWindowTest, BackspaceStaysWithTheWindowOtherCharactersGoOn)
{
    BOOL handled = TRUE;
    EXPECT_EQ(m_dlg->OnChar(WM_CHAR, 8, 0, handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_EQ(m_dlg->OnChar(WM_CHAR, 'a', 0, handled), 0);
    EXPECT_FALSE(handled);
}
