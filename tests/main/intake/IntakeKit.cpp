#include "tests/main/intake/IntakeKit.h"

#include "common/base/PathHelper.h"
#include "main/LineListUI.h"
#include "main/TipsDlg.h"

#include "platform/Dialogs.h"
#include "platform/Drop.h"
#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace intaketest
{
namespace
{
constexpr DWORD kMainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
} // namespace

MainWindow::MainWindow()
{
    platform::headless::SetFileDialogAnswer(std::nullopt);
    m_dlg = new CMainDlg; // deletes itself when its window is gone
    m_hwnd = m_dlg->Create(nullptr, L"Pictavo", kMainStyle, 0, 0, 0, 1000, 640);
    dialogtest::Pump();
}

MainWindow::~MainWindow()
{
    CloseAllTips();
    if (::IsWindow(m_hwnd))
        ::DestroyWindow(m_hwnd);
    dialogtest::Pump();
}

std::vector<std::wstring> MainWindow::Paths(int tab)
{
    std::vector<std::wstring> paths;
    for (const FileItem* item : m_dlg->GetTabItems(tab))
        paths.push_back(item->m_strPath);
    return paths;
}

std::vector<std::wstring> MainWindow::RowPaths(int tab)
{
    std::vector<std::wstring> paths;
    CLineListUI* list = m_dlg->GetTabList(tab);
    FileItem* item = nullptr;
    for (int row = 0; list->GetLineItem(row, &item); ++row)
        paths.push_back(item != nullptr ? item->m_strPath : L"<no item>");
    return paths;
}

bool MainWindow::HintVisible(int tab)
{
    static const wchar_t* const kHints[] = {L"nc_btn_drag", L"hc_btn_drag", L"cc_btn_drag"};
    m_dlg->m_pConvTab->SelectItem(tab);
    DuiLib::CControlUI* hint = m_dlg->GetPaintManager().FindControl(kHints[tab]);
    return hint != nullptr && hint->IsVisible();
}

bool MainWindow::ClickRow(int tab, int row, LPCTSTR name)
{
    DuiLib::CControlUI* line = m_dlg->GetTabList(tab)->GetItemAt(row);
    DuiLib::CControlUI* button =
        line != nullptr ? m_dlg->GetPaintManager().FindSubControlByName(line, name) : nullptr;
    if (button == nullptr)
        return false;
    // The click as the button reports it: the row's buttons can lie beyond the list's width.
    m_dlg->m_pConvTab->SelectItem(tab);
    m_dlg->GetPaintManager().SendNotify(button, DUI_MSGTYPE_CLICK);
    dialogtest::Pump();
    return true;
}

bool MainWindow::Drop(const std::vector<std::wstring>& paths)
{
    if (!platform::headless::InjectDrop(m_hwnd, paths, POINT{300, 300}))
        return false;
    dialogtest::Pump();
    return true;
}

std::wstring LastToast()
{
    if (g_vecTips.empty())
        return {};
    DuiLib::CControlUI* label = g_vecTips.back()->GetPaintManager().FindControl(L"tipsLabel");
    return label != nullptr ? std::wstring(label->GetText().GetData()) : std::wstring();
}

ConfigIniGuard::ConfigIniGuard() : m_path(testsupport::Narrow(GetModuleDir()) + "/config.ini")
{
    m_lock = ::open((m_path + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (m_lock >= 0)
        ::flock(m_lock, LOCK_EX);
    m_existed = testsupport::Exists(m_path);
    m_saved = testsupport::ReadFile(m_path);
    std::filesystem::remove(m_path);
}

ConfigIniGuard::~ConfigIniGuard()
{
    if (m_existed)
        testsupport::WriteFile(m_path, m_saved);
    else
        std::filesystem::remove(m_path);
    if (m_lock >= 0)
        ::close(m_lock);
}

std::string UseDocumentsFolder(const std::string& name)
{
    const std::string home = std::getenv("HOME");
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::create_directories(config);
    testsupport::WriteFile(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/" + name + "\"\n");
    std::filesystem::create_directories(home + "/" + name);
    return home + "/" + name;
}
} // namespace intaketest
