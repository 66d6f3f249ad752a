#pragma once
// A folder of this user alone (the private temporary folder when TMPDIR is not set).

#include "platform/WinTypes.h"

#include <string>

namespace platform::files
{
// Creates folder 0700 when missing and checks that it is a real folder (not a link) owned by
// this user, closing it to others if needed. ERROR_SUCCESS, or the Win32 error that refuses it.
DWORD PreparePrivateFolder(const std::string& folder);
} // namespace platform::files
