#include "tests/support/MainWindowKit.h"

#include "main/LineListUI.h"
#include "main/TipsDlg.h"

#include "platform/Window.h"

#include <cstdlib>

using namespace DuiLib;

namespace mainwndtest
{
std::vector<std::wstring> OpenToasts()
{
    std::vector<std::wstring> texts;
    for (CTipsDlg* tip : g_vecTips)
    {
        if (CControlUI* label = tip->GetPaintManager().FindControl(L"tipsLabel"))
            texts.emplace_back(label->GetText().GetData());
    }
    return texts;
}

std::string MakeImage(const std::string& path, const std::string& spec)
{
    const std::string command = "convert " + spec + " '" + path + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

void MainWindowTest::SetUp()
{
    g_bAppExit = false;
    TakeQuitMessage();
    m_dlg = new CMainDlg;
    m_hwnd = m_dlg->Create(nullptr, L"Pictavo", 0x10CF0000, 0x60000, 0, 0, 720, 470);
    ASSERT_NE(m_hwnd, nullptr);
    m_dlg->SetOutDir(testsupport::Wide(m_out.path()));
    Pump();
}

void MainWindowTest::TearDown()
{
    CloseAllTips();
    if (::IsWindow(m_hwnd))
        ::DestroyWindow(m_hwnd); // the window object deletes itself
    TakeQuitMessage();
    g_bAppExit = false;
}

CControlUI* MainWindowTest::Control(LPCTSTR name)
{
    return m_dlg->GetPaintManager().FindControl(name);
}

bool MainWindowTest::Click(CControlUI* control)
{
    if (!dialogtest::ClickControl(m_hwnd, control))
        return false;
    Pump();
    return true;
}

CControlUI* MainWindowTest::RowControl(int tab, int row, LPCTSTR name)
{
    CLineListUI* list = m_dlg->GetTabList(tab);
    CControlUI* line = list != nullptr ? list->GetItemAt(row) : nullptr;
    return line != nullptr ? m_dlg->GetPaintManager().FindSubControlByName(line, name) : nullptr;
}

std::vector<std::wstring> MainWindowTest::AddImages(int tab, int count, const std::string& ext)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i)
    {
        const std::string path = m_dir / ("in" + std::to_string(tab) + "_" + std::to_string(i) + "." + ext);
        paths.push_back(testsupport::Wide(MakeImage(path)));
    }
    m_dlg->AddFiles(tab, paths);
    Pump();
    return paths;
}
} // namespace mainwndtest
