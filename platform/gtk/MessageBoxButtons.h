#pragma once
// The buttons of a message box type (MB_OK, MB_YESNO, ...), which both desktops answer from.

#include "platform/MessageBox.h"

#include <vector>

namespace platform
{
struct MessageBoxButton
{
    int id;
    const char* label; // GTK's own translated label
};

// Empty for a type without buttons.
std::vector<MessageBoxButton> ButtonsOf(UINT type);
// The MB_DEFBUTTONn button.
int DefaultAnswer(const std::vector<MessageBoxButton>& buttons, UINT type);
bool HasCancel(const std::vector<MessageBoxButton>& buttons);
// Closing the box counts as Cancel; a box without one cannot be closed (0), except MB_OK.
int CloseAnswer(const std::vector<MessageBoxButton>& buttons);
} // namespace platform
