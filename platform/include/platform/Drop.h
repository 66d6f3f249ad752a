#pragma once
// Files dropped onto a window. A window that accepts files is an XDND destination for URI
// lists; a drop of local files posts WM_DROPFILES with wParam an HDROP that names them. The
// HDROP belongs to the window: DragFinish frees it, and one never finished is freed once its
// window is destroyed (or the message was thrown away unread).

#include "platform/Window.h"

#include <string>
#include <vector>

constexpr UINT DRAG_QUERY_COUNT = 0xFFFFFFFF;

// Makes the window's top-level window a drop destination (or no longer one); sets
// WS_EX_ACCEPTFILES. Drops are posted to hwnd itself.
void DragAcceptFiles(HWND hwnd, BOOL accept);
// index DRAG_QUERY_COUNT: the number of names. Otherwise the length of name index (without the
// zero) when buffer is null; else copies it, cut to cch - 1 characters, and returns the
// characters copied. 0 for an unknown drop or index.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT cch);
#define DragQueryFile DragQueryFileW
// The drop point in the client coordinates of the window; TRUE when it lies in the client area.
BOOL DragQueryPoint(HDROP drop, LPPOINT point);
void DragFinish(HDROP drop);

namespace platform::headless
{
// Drops the paths onto hwnd as the desktop would: FALSE when the window does not accept files
// (or is gone), else WM_DROPFILES is posted to it.
BOOL InjectDrop(HWND hwnd, const std::vector<std::wstring>& paths, POINT point);
} // namespace platform::headless
