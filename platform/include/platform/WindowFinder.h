#pragma once
// Finding top-level windows across the user's processes, and sending them WM_COPYDATA.
//
// Every process that links this (any program calling FindWindowW) publishes its top-level
// windows, with class and title, in a per-user registry in the runtime folder and answers on a
// unix socket there (both 0600 in a 0700 folder; peers of another user are refused). Entries of
// processes that died are ignored and removed.
//
// A window of another process is named here by a proxy handle: IsWindow reports FALSE for it
// and no window function but SendMessageW/SendMessageTimeoutW accepts it. Sending it
// WM_COPYDATA delivers the message to the window's thread in its own process, with the
// COPYDATASTRUCT and cbData bytes of lpData copied across (lpData points to the copy, valid
// during the call; NULL when cbData is 0), and returns the procedure's answer. The send waits
// at most 5 seconds (and no longer than a SendMessageTimeoutW limit): after that it returns 0
// with ERROR_TIMEOUT. Other messages to a proxy are refused (0, ERROR_ACCESS_DENIED), as are
// more than 1 MiB of data or cbData without lpData (ERROR_INVALID_PARAMETER); a window or
// process that is gone gives ERROR_INVALID_WINDOW_HANDLE. Handles of this process's own windows
// are the window table's own, so local sends are unchanged.

#include "platform/Window.h"

// The first top-level window whose class matches className (case-insensitive; any class when
// NULL) and whose whole title equals windowName (any title when NULL): this process's windows
// first, in creation order, then those of the user's other processes. NULL when none.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

namespace platform
{
// Publishes this process's top-level windows without calling FindWindowW (linking this area's
// FindWindowW already does it). Call before the first window is created.
void ShareWindows();
} // namespace platform
