#pragma once
// The kernel object behind a process handle (and a child's thread handle).

#include "platform/KernelObject.h"

#include <sys/types.h>

#include <memory>

namespace platform
{
struct ProcessState;

class ProcessObject : public KernelObject
{
public:
    // A child of ours: a thread reaps it as soon as it ends, whatever happens to the handles.
    // Null when that thread cannot be started (the child is then killed and reaped).
    static ProcessObject* ForChild(pid_t pid);
    // Any other process, through a pidfd; null with the last error set when it cannot be opened.
    static ProcessObject* ForExisting(pid_t pid);
    // Another handle on the same process: the child's primary thread, which ends with it.
    ProcessObject* Share() const;
    ~ProcessObject() override;

    DWORD Wait(DWORD milliseconds) override;
    BOOL GetExitCode(DWORD& code) const;
    BOOL Terminate(UINT exitCode);

private:
    explicit ProcessObject(std::shared_ptr<ProcessState> state);

    std::shared_ptr<ProcessState> m_state;
};
} // namespace platform
