// The setup window on its real skin, headless: the install button follows the licence box and
// the folder bar sits where the layout puts it; the folder a user types or chooses gets
// "/Pictavo" (letter case counts); the question over an earlier install names the other folder;
// "否" removes the folders this setup made while keeping any that holds something, and an
// install records them; a worker that cannot start leaves the window on its page; the maximise
// and restore buttons follow the window's state.
#include "setup/SetupDlg.h"
#include "common/install/CreatedFolders.h"
#include "common/install/RegSettings.h"
#include "tests/support/DialogKit.h"
#include "tests/support/SetupKit.h"
#include "tests/support/TestSupport.h"

#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dialogtest;
using testsupport::Wide;
namespace fs = std::filesystem;

namespace
{
CSetupDlg* Open()
{
    auto* dlg = new CSetupDlg; // deletes itself with its window
    const HWND hwnd = dlg->Create(nullptr, L"Pictavo安装程序", 0x10CF0000, 0x60000, 0, 0, 710, 470);
    EXPECT_NE(hwnd, nullptr);
    Pump();
    return dlg;
}

DuiLib::CControlUI* Control(CSetupDlg* dlg, const wchar_t* name)
{
    return dlg->GetPaintManager().FindControl(name);
}

int Page(CSetupDlg* dlg)
{
    auto* tab = dynamic_cast<DuiLib::CTabLayoutUI*>(Control(dlg, L"mainTab"));
    return tab != nullptr ? tab->GetCurSel() : -1;
}

std::wstring EditText(CSetupDlg* dlg)
{
    return Control(dlg, L"editPath")->GetText().GetData();
}

bool CloseAndWait(HWND hwnd)
{
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    const bool closed = PumpUntil([&] { return !::IsWindow(hwnd); });
    TakeQuitMessage();
    return closed;
}

// Installs at a typed folder over a registered install and answers "否": what the question
// said and where the install would have gone, seen while the box was open.
struct Refused
{
    std::wstring question;
    std::wstring installPath;
    bool existedWhileAsked = false;
};

Refused TypeAndRefuse(const std::string& typed)
{
    CSetupDlg* dlg = Open();
    const HWND hwnd = dlg->GetHWND();
    Control(dlg, L"editPath")->SetText(Wide(typed).c_str());
    Refused refused;
    {
        BoxUser user([&](CMsgBoxDlg* box) {
            refused.question = box->GetPaintManager().FindControl(L"msgLabel")->GetText().GetData();
            refused.installPath = dlg->GetInstallPath();
            refused.existedWhileAsked = fs::is_directory(testsupport::Narrow(refused.installPath));
            ClickControl(box, L"btnNo");
        });
        EXPECT_TRUE(ClickControl(dlg, L"btnInstall"));
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); })) << "a \"否\" leaves the setup";
        EXPECT_TRUE(user.acted());
    }
    TakeQuitMessage();
    return refused;
}

} // namespace

TEST(SetupDlg, InstallButtonFollowsTheLicenceBoxTheFolderBarSitsInPlaceAndMaximiseSwapsTheButtons)
{
    setuptest::SetupFolder setup({});
    CSetupDlg* dlg = Open();
    const HWND hwnd = dlg->GetHWND();
    EXPECT_EQ(Page(dlg), 0);
    EXPECT_EQ(EditText(dlg), Wide(std::string(std::getenv("HOME")) + "/.local/opt/Pictavo"));
    auto* box = dynamic_cast<DuiLib::CCheckBoxUI*>(Control(dlg, L"ckOk"));
    DuiLib::CControlUI* install = Control(dlg, L"btnInstall");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsSelected());
    EXPECT_TRUE(install->IsEnabled());
    for (const bool checked : {false, true})
    {
        ASSERT_TRUE(ClickControl(dlg, L"ckOk"));
        Pump();
        EXPECT_EQ(box->IsSelected(), checked);
        EXPECT_EQ(install->IsEnabled(), checked);
    }
    // The folder bar where the layout puts it, and the progress bar's rounded ends.
    ASSERT_TRUE(ClickControl(dlg, L"btnExtend"));
    Pump();
    const auto at = [&](const wchar_t* name) {
        const RECT pos = Control(dlg, name)->GetPos();
        return std::vector<LONG>{pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top};
    };
    EXPECT_EQ(at(L"editPath"), (std::vector<LONG>{24, 400, 450, 40}));
    EXPECT_EQ(at(L"btnSelPath"), (std::vector<LONG>{482, 402, 156, 36}));
    auto* progress = dynamic_cast<DuiLib::CProgressUI*>(Control(dlg, L"instProgress"));
    ASSERT_NE(progress, nullptr);
    for (const std::wstring image : {progress->GetBkImage(), progress->GetForeImage()})
        EXPECT_NE(image.find(L"corner='10,4,10,4'"), std::wstring::npos) << testsupport::Narrow(image);

    // A layout with the two buttons: the one that fits the window's state is shown.
    auto* root = dynamic_cast<DuiLib::CContainerUI*>(dlg->GetPaintManager().GetRoot());
    ASSERT_NE(root, nullptr);
    auto* maximize = new DuiLib::CButtonUI;
    maximize->SetName(L"maxBtn");
    auto* restore = new DuiLib::CButtonUI;
    restore->SetName(L"restoreBtn");
    restore->SetVisible(false);
    root->Add(maximize);
    root->Add(restore);
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(::IsZoomed(hwnd));
    EXPECT_FALSE(maximize->IsVisible());
    EXPECT_TRUE(restore->IsVisible());
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_FALSE(::IsZoomed(hwnd));
    EXPECT_TRUE(maximize->IsVisible());
    EXPECT_FALSE(restore->IsVisible());
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(maximize->IsVisible()) << "minimising changes nothing";
    EXPECT_FALSE(restore->IsVisible());
    EXPECT_TRUE(CloseAndWait(hwnd));
}

TEST(SetupDlg, TypedFoldersGetTheProductFolderAndNoRemovesOnlyWhatTheSetupMade)
{
    setuptest::SetupFolder setup({});
    const std::string home = std::getenv("HOME");
    // An earlier install, registered: installing anywhere asks first.
    const std::string earlier = home + "/.local/opt/Pictavo";
    fs::create_directories(earlier);
    testsupport::WriteFile(earlier + "/Pictavo", "main program");
    CRegSettings(HKEY_LOCAL_MACHINE, kProductRegKey, false, true)
        .SetValue(L"installDir", Wide(earlier).c_str());

    // Two new levels: both are made before the question and both go with "否".
    Refused refused = TypeAndRefuse(home + "/My Apps 图片");
    EXPECT_EQ(refused.installPath, Wide(home + "/My Apps 图片/Pictavo"));
    EXPECT_TRUE(refused.existedWhileAsked);
    EXPECT_EQ(refused.question, L"您计算机已经安装过，确定要继续安装吗?");
    EXPECT_FALSE(fs::exists(home + "/My Apps 图片"));

    // Named as the product already: kept; a folder above that holds a file of the user's stays.
    fs::create_directories(home + "/apps");
    testsupport::WriteFile(home + "/apps/mine.txt", "the user's");
    refused = TypeAndRefuse(home + "/apps/sub/Pictavo");
    EXPECT_EQ(refused.installPath, Wide(home + "/apps/sub/Pictavo"));
    EXPECT_FALSE(fs::exists(home + "/apps/sub"));
    EXPECT_EQ(testsupport::ReadFile(home + "/apps/mine.txt"), "the user's");

    // Another letter case is another name: the product folder is added.
    refused = TypeAndRefuse(home + "/apps/pictavo");
    EXPECT_EQ(refused.installPath, Wide(home + "/apps/pictavo/Pictavo"));
    EXPECT_FALSE(fs::exists(home + "/apps/pictavo"));

    // The registered folder itself: the overwrite wording, and nothing of it goes.
    refused = TypeAndRefuse(earlier);
    EXPECT_EQ(refused.question, L"您计算机已经安装过\n确定要覆盖安装吗?");
    EXPECT_EQ(testsupport::ReadFile(earlier + "/Pictavo"), "main program");
}

TEST(SetupDlg, AnInstallRecordsEveryFolderItMadeDeepestLast)
{
    setuptest::SetupFolder setup({});
    const std::string home = std::getenv("HOME");
    CSetupDlg* dlg = Open();
    Control(dlg, L"editPath")->SetText(Wide(home + "/My Apps 图片").c_str());
    ASSERT_TRUE(ClickControl(dlg, L"btnInstall"));
    ASSERT_TRUE(PumpUntil([&] { return Page(dlg) == 3; }, 20000)) << "no finish page";
    const std::wstring folder = Wide(home + "/My Apps 图片/Pictavo");
    EXPECT_EQ(setuptest::ProductValue(L"installDir"), folder);
    EXPECT_EQ(ReadCreatedFolders(folder), (std::vector<std::wstring>{Wide(home + "/My Apps 图片"), folder}));
    EXPECT_EQ(setuptest::ProductValue(kCreatedFolderValue), L"1");
    EXPECT_TRUE(CloseAndWait(dlg->GetHWND()));
}

TEST(SetupDlg, AChosenFolderGetsTheProductFolderEvenWhenNamedSo)
{
    setuptest::SetupFolder setup({});
    const std::string home = std::getenv("HOME");
    fs::create_directories(home + "/chosen/Pictavo");
    CSetupDlg* dlg = Open();
    ASSERT_TRUE(ClickControl(dlg, L"btnExtend"));
    Pump();
    const std::pair<std::string, std::string> choices[] = {
        {home + "/chosen", home + "/chosen/Pictavo"},
        {home + "/chosen/Pictavo", home + "/chosen/Pictavo/Pictavo"},
        {"/", "/Pictavo"}};
    for (const auto& [chosen, proposed] : choices)
    {
        platform::headless::SetFileDialogAnswer(std::vector<std::wstring>{Wide(chosen)});
        ASSERT_TRUE(ClickControl(dlg, L"btnSelPath"));
        Pump();
        EXPECT_EQ(EditText(dlg), Wide(proposed)) << chosen;
    }
    EXPECT_EQ(platform::headless::LastFileDialog().title, L"从下面选文件夹目录:");
    // A folder that is not there, and a cancelled choice, change nothing.
    for (const auto& answer : {std::optional<std::vector<std::wstring>>({Wide(home + "/gone")}),
                               std::optional<std::vector<std::wstring>>()})
    {
        platform::headless::SetFileDialogAnswer(answer);
        ASSERT_TRUE(ClickControl(dlg, L"btnSelPath"));
        Pump();
        EXPECT_EQ(EditText(dlg), L"/Pictavo");
    }
    platform::headless::SetFileDialogAnswer(std::nullopt);
    EXPECT_TRUE(CloseAndWait(dlg->GetHWND()));
}

TEST(SetupDlg, AWorkerThatCannotStartIsLoggedAndTheWindowStaysOnItsPage)
{
    setuptest::SetupFolder setup({});
    LogLines log;
    CSetupDlg* dlg = Open();
    const HWND hwnd = dlg->GetHWND();
    const std::string folder = std::string(std::getenv("HOME")) + "/.local/opt/Pictavo";
    // Every page drawn once before: the text engine starts threads of its own for new fonts.
    for (const int page : {2, 0})
    {
        dlg->ShowPage(page);
        ::UpdateWindow(hwnd);
        Pump();
    }
    {
        const NoNewThreads refused;
        ASSERT_TRUE(ClickControl(dlg, L"btnInstall"));
        Pump();
    }
    EXPECT_EQ(Page(dlg), 2);
    EXPECT_TRUE(log.WaitFor(L"创建安装线程失败")) << "no log line";
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_FALSE(fs::exists(folder + "/Pictavo"));
    // Nothing runs, so the window may be closed.
    EXPECT_TRUE(CloseAndWait(hwnd));
}
