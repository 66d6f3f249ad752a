#pragma once
// Readers for the value formats of skin attributes: integer lists ("l,t,r,b"), colours
// ("#AARRGGBB"), booleans ("true") and attribute lists (name="value" name2='value').

#include "ui/DuiString.h"

#include "platform/WinTypes.h"

#include <utility>
#include <vector>

namespace DuiLib
{
// Reads up to maxCount comma-separated integers; returns how many were read.
int ParseIntList(LPCTSTR value, int* out, int maxCount);
RECT ParseRect(LPCTSTR value);
SIZE ParseSize(LPCTSTR value);
// "#AARRGGBB" (or "0x..."); a six-digit "#RRGGBB" is taken as opaque.
DWORD ParseColor(LPCTSTR value);
bool ParseBool(LPCTSTR value);
int ParseInt(LPCTSTR value);
// name="value" pairs separated by blanks; either quote may enclose a value.
std::vector<std::pair<CDuiString, CDuiString>> ParseAttributeList(LPCTSTR list);
} // namespace DuiLib
