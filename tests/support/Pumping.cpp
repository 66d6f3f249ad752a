// The plain message pump of the shared waits, apart from them: a suite that only waits on
// threads needs no message queue from the platform.
#include "tests/support/Waiting.h"

#include "platform/Win32.h"

namespace testsupport
{
void PumpQueued()
{
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
} // namespace testsupport
