#pragma once
// The object behind an HDROP: the dropped paths, the drop point and the window it was posted
// to. Every live HDROP is kept in one table, so that a handle that was finished (or never was
// one) is refused instead of read, and the drops of windows that are gone are freed.

#include "platform/Window.h"

#include <string>
#include <vector>

namespace platform
{
class DropFiles
{
public:
    // Posts WM_DROPFILES with a new HDROP to hwnd; the drop is freed again when the post fails.
    static BOOL Post(HWND hwnd, std::vector<std::wstring> paths, POINT point);
    static bool Count(HDROP drop, UINT& count);
    static bool Name(HDROP drop, UINT index, std::wstring& name);
    static bool Point(HDROP drop, POINT& point, bool& inClient);
    static void Finish(HDROP drop);
    // Frees the drops whose window was destroyed before it finished them.
    static void Sweep();

private:
    DropFiles(HWND hwnd, std::vector<std::wstring> paths, POINT point);

    HWND m_hwnd;
    std::vector<std::wstring> m_paths;
    POINT m_point;
    bool m_inClient;
};
} // namespace platform
