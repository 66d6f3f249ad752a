#pragma once
// A heap record that crosses to a window's thread in a posted message's wParam. The sender
// gives it up with PostRecord, the window procedure owns it again with TakeRecord; a record
// whose post failed is freed by PostRecord, so every record has exactly one owner.

#include "platform/Messages.h"

#include <memory>

// PostMessageW with record as wParam; false (and the record freed) when the post failed.
template <typename T> bool PostRecord(HWND window, UINT message, std::unique_ptr<T> record)
{
    if (!::PostMessageW(window, message, reinterpret_cast<WPARAM>(record.get()), 0))
        return false;
    static_cast<void>(record.release()); // the receiver's now
    return true;
}

// The record a PostRecord message carries; empty for a null wParam. Taken once, by the receiver.
template <typename T> [[nodiscard]] std::unique_ptr<T> TakeRecord(WPARAM wParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(wParam));
}
