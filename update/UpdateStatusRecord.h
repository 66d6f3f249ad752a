#pragma once
// What the unpack worker tells the status window: message WM_UPDATE_STATUS with a heap record
// in wParam, deleted by the window.

#include "platform/WinTypes.h"

#include <string>

constexpr UINT WM_UPDATE_STATUS = 2026;

constexpr int UPDATE_STATUS_DOWNLOAD = 1;
constexpr int UPDATE_STATUS_STEP = 2;
constexpr int UPDATE_STATUS_FAILED = 3;
constexpr int UPDATE_STATUS_DONE = 4;

struct UpdateStatusRecord
{
    int type = 0;
    int progress = 0; // percent
    int reserved = 0;
    std::wstring text;
};
