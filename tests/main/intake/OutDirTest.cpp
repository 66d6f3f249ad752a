// The one output folder: chosen at window start from config.ini or the documents default,
// and changed through the folder dialog into config.ini and the three path fields.
#include "tests/main/intake/IntakeKit.h"

#include "main/MagickLeftovers.h"
#include "ui/EditUI.h"

#include "platform/Dialogs.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using intaketest::ConfigIniGuard;
using intaketest::MainWindow;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Wide;
using testsupport::WriteFile;

namespace
{
std::wstring FieldText(MainWindow& win, LPCTSTR name)
{
    DuiLib::CControlUI* field = win.dlg().GetPaintManager().FindControl(name);
    return field != nullptr ? std::wstring(field->GetText().GetData()) : L"<missing>";
}

void ExpectShown(MainWindow& win, const std::wstring& dir)
{
    EXPECT_EQ(win.dlg().m_strOutDir, dir);
    for (LPCTSTR name : {L"nc_edit_path", L"hc_edit_path", L"cc_edit_path"})
        EXPECT_EQ(FieldText(win, name), dir) << testsupport::Narrow(name);
}

class OutDir : public ::testing::Test
{
protected:
    ConfigIniGuard m_config;
    const std::string m_documents = intaketest::UseDocumentsFolder("Docs");
    const std::string m_default = m_documents + "/Pictavo";
};
} // namespace

TEST_F(OutDir, DefaultIsMadeInTheDocumentsFolderWithoutTouchingConfig)
{
    EXPECT_EQ(CMainDlg::GetDefaultOutDir(), Wide(m_default));
    EXPECT_TRUE(std::filesystem::is_directory(m_default));
    // A documents folder that does not exist yet (no desktop session ever made it) is made
    // too: a default output folder that cannot be written would fail every conversion.
    std::filesystem::remove_all(m_documents);
    EXPECT_EQ(CMainDlg::GetDefaultOutDir(), Wide(m_default));
    EXPECT_TRUE(std::filesystem::is_directory(m_default));

    MainWindow win;
    ExpectShown(win, Wide(m_default));
    EXPECT_EQ(ReadFile(m_config.path()).find("out_dir"), std::string::npos) << "the default is not written";
}

TEST_F(OutDir, ConfiguredFolderIsUsedWhileItExistsAndKeptWhenItIsGone)
{
    TempDir chosen{"chosen"};
    // The first-run report is done, so the window's start has nothing else to write here.
    const std::string text = "[CONFIG]\nout_dir=" + chosen.path() + "\ninstall_stattistics=0\n";
    WriteFile(m_config.path(), text);
    // A conversion killed while writing left its hidden output; one that runs now has one too.
    testsupport::ChildProcess ended;
    ASSERT_TRUE(ended.StartProgram("true", {}));
    ended.Wait();
    const std::string killed = chosen / (".~photo.png." + std::to_string(ended.Pid()) + "-0.png");
    const std::string running = chosen / HiddenOutputName("photo.jpg", 0, "jpg");
    WriteFile(killed, "");
    WriteFile(running, "");
    {
        MainWindow win;
        ExpectShown(win, chosen.wpath());
    }
    EXPECT_FALSE(testsupport::Exists(killed)) << "the window's start removes what the dead one left";
    EXPECT_TRUE(testsupport::Exists(running));
    const std::string gone = chosen.path() + "/gone";
    const std::string goneText = "[CONFIG]\nout_dir=" + gone + "\ninstall_stattistics=0\n";
    WriteFile(m_config.path(), goneText);
    {
        MainWindow win;
        ExpectShown(win, Wide(m_default));
    }
    EXPECT_EQ(ReadFile(m_config.path()), goneText) << "config.ini keeps the user's folder";
}

TEST_F(OutDir, ModifyWritesConfigAndAllThreeFields)
{
    TempDir chosen{"new out"};
    MainWindow win;
    platform::headless::SetFileDialogAnswer(std::vector<std::wstring>{chosen.wpath()});
    // Any tab's button changes the one folder.
    win.dlg().m_pConvTab->SelectItem(TAB_HEIC);
    ::UpdateWindow(win.hwnd()); // lays the page out
    ASSERT_TRUE(dialogtest::ClickControl(&win.dlg(), L"hc_btn_modify_path"));
    dialogtest::Pump();
    EXPECT_EQ(platform::headless::LastFileDialog().kind, platform::headless::FileDialogKind::Folder);
    ExpectShown(win, chosen.wpath());
    wchar_t stored[1024] = {};
    GetPrivateProfileStringW(L"CONFIG", L"out_dir", L"", stored, 1024, Wide(m_config.path()).c_str());
    EXPECT_EQ(std::wstring(stored), chosen.wpath());

    // The next window starts with it; a cancelled dialog changes nothing.
    MainWindow next;
    ExpectShown(next, chosen.wpath());
    platform::headless::SetFileDialogAnswer(std::nullopt);
    next.dlg().ModifyOutDir();
    ExpectShown(next, chosen.wpath());
}
