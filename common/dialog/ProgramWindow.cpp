#include "common/dialog/ProgramWindow.h"

#include "common/base/Log.h"

#include "platform/Display.h"

namespace
{
// The size a window is made at; its skin then gives it its own.
constexpr int kCreateWidth = 710;
constexpr int kCreateHeight = 470;
} // namespace

void InitProgramSkin(HINSTANCE instance, const wchar_t* skinFolder)
{
    platform::InitDisplayBackend();
    DuiLib::CPaintManagerUI::SetInstance(instance);
    DuiLib::CPaintManagerUI::SetResourcePath(DuiLib::CPaintManagerUI::GetInstancePath() + skinFolder);
    DuiLib::CWndShadow::Initialize(instance);
}

bool RunProgramWindow(CWinBaseEx* dialog, const std::wstring& title, DWORD style, DWORD exStyle)
{
    if (dialog->Create(nullptr, title.c_str(), style, exStyle, 0, 0, kCreateWidth, kCreateHeight) == nullptr)
    {
        LOG_ERROR(L"WinMain", L"window not created: %s", title.c_str());
        delete dialog;
        return false;
    }
    dialog->CenterWindow();
    dialog->ShowWindow(true, true);
    DuiLib::CPaintManagerUI::MessageLoop();
    return true;
}
