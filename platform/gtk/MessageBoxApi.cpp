// The system message box: shown by the installed desktop, a GTK message dialog run in a message
// loop of its own (so that the thread's timers and posted messages go on meanwhile), or a
// recorded answer when headless.
#include "platform/MessageBox.h"
#include "platform/gtk/DesktopBackend.h"
#include "platform/gtk/MessageBoxButtons.h"

int MessageBoxW(HWND hwnd, LPCWSTR text, LPCWSTR caption, UINT type)
{
    if (platform::ButtonsOf(type).empty())
        return 0;
    const std::wstring body = text != nullptr ? text : L"";
    const std::wstring title = caption != nullptr ? caption : L"Error";
    return platform::Desktop().ShowMessageBox(hwnd, body, title, type);
}
