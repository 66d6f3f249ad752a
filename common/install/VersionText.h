#pragma once
// Version texts of the form a.b.c.d, as the version service and the registry hold them.

#include <string>

// 1 when other is newer than installed, -1 when older, 0 when equal; up to four dot-separated
// numbers, missing or unreadable parts count 0, overlong numbers saturate.
int CompareVersion(const std::wstring& installed, const std::wstring& other);
