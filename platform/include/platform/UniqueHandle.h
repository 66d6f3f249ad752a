#pragma once
// A HANDLE of the platform owned by a scope or an object: CloseHandle on destruction. Both
// nullptr and INVALID_HANDLE_VALUE count as empty, since the API answers failure with either
// (CreateMutexW with nullptr, CreateToolhelp32Snapshot with INVALID_HANDLE_VALUE).
//
//   const platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
//   if (!snapshot)
//       return ids;

#include "platform/KernelObject.h"
#include "platform/UniqueValue.h"
#include "platform/WinTypes.h"

namespace platform
{
struct HandleTraits
{
    using Value = HANDLE;
    static HANDLE Empty() noexcept { return nullptr; }
    static bool IsValid(HANDLE handle) noexcept
    {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static bool Close(HANDLE handle) noexcept { return ::CloseHandle(handle) != FALSE; }
};

using UniqueHandle = UniqueValue<HandleTraits>;
} // namespace platform
