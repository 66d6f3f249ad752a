#pragma once
// GUIDs, drawn from the kernel's random source (getrandom) as version 4 identifiers.

#include "platform/WinTypes.h"

// S_OK (0), or E_FAIL (0x80004005) when the random source gave nothing.
HRESULT CoCreateGuid(GUID* guid);
// Accepted for the callers' pairing; there is no COM to start here. S_OK / nothing.
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
