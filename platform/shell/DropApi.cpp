// The HDROP calls over DropFiles, and the accept-files switch of a window.
#include "platform/Drop.h"
#include "platform/shell/DropFiles.h"
#include "platform/shell/ShellBackend.h"

#include <algorithm>
#include <cwchar>

using platform::DropFiles;

namespace
{
void SetAcceptStyle(HWND hwnd, bool accept)
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE,
                      accept ? (style | WS_EX_ACCEPTFILES) : (style & ~LONG_PTR(WS_EX_ACCEPTFILES)));
}
} // namespace

void DragAcceptFiles(HWND hwnd, BOOL accept)
{
    if (IsWindow(hwnd) == FALSE)
        return;
    SetAcceptStyle(hwnd, accept != FALSE);
    platform::Shell().SetDropTarget(hwnd, accept != FALSE);
    DropFiles::Sweep();
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT cch)
{
    if (index == DRAG_QUERY_COUNT)
    {
        UINT count = 0;
        return DropFiles::Count(drop, count) ? count : 0;
    }
    std::wstring name;
    if (!DropFiles::Name(drop, index, name))
        return 0;
    if (buffer == nullptr)
        return static_cast<UINT>(name.size());
    if (cch == 0)
        return 0;
    const size_t copied = std::min<size_t>(name.size(), cch - 1);
    std::wmemcpy(buffer, name.c_str(), copied);
    buffer[copied] = L'\0';
    return static_cast<UINT>(copied);
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point)
{
    POINT at{};
    bool inClient = false;
    if (point == nullptr || !DropFiles::Point(drop, at, inClient))
        return FALSE;
    *point = at;
    return inClient ? TRUE : FALSE;
}

void DragFinish(HDROP drop)
{
    DropFiles::Finish(drop);
    DropFiles::Sweep();
}

namespace platform::headless
{
BOOL InjectDrop(HWND hwnd, const std::vector<std::wstring>& paths, POINT point)
{
    if (IsWindow(hwnd) == FALSE || (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) == 0)
        return FALSE;
    return DropFiles::Post(hwnd, paths, point);
}
} // namespace platform::headless
