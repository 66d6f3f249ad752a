#include "platform/gtk/MessageBoxButtons.h"

#include <algorithm>

namespace platform
{
namespace
{
constexpr MessageBoxButton kOk{IDOK, "_OK"};
constexpr MessageBoxButton kCancel{IDCANCEL, "_Cancel"};
constexpr MessageBoxButton kYes{IDYES, "_Yes"};
constexpr MessageBoxButton kNo{IDNO, "_No"};
constexpr MessageBoxButton kAbort{IDABORT, "_Abort"};
constexpr MessageBoxButton kRetry{IDRETRY, "_Retry"};
constexpr MessageBoxButton kIgnore{IDIGNORE, "_Ignore"};
} // namespace

std::vector<MessageBoxButton> ButtonsOf(UINT type)
{
    switch (type & 0xF)
    {
    case MB_OK:
        return {kOk};
    case MB_OKCANCEL:
        return {kOk, kCancel};
    case MB_ABORTRETRYIGNORE:
        return {kAbort, kRetry, kIgnore};
    case MB_YESNOCANCEL:
        return {kYes, kNo, kCancel};
    case MB_YESNO:
        return {kYes, kNo};
    case MB_RETRYCANCEL:
        return {kRetry, kCancel};
    default:
        return {};
    }
}

int DefaultAnswer(const std::vector<MessageBoxButton>& buttons, UINT type)
{
    const size_t index = std::min<size_t>((type >> 8) & 0xF, buttons.size() - 1);
    return buttons[index].id;
}

bool HasCancel(const std::vector<MessageBoxButton>& buttons)
{
    return std::any_of(buttons.begin(), buttons.end(),
                       [](const MessageBoxButton& b) { return b.id == IDCANCEL; });
}

int CloseAnswer(const std::vector<MessageBoxButton>& buttons)
{
    if (HasCancel(buttons))
        return IDCANCEL;
    return buttons.size() == 1 ? buttons.front().id : 0;
}
} // namespace platform
