#pragma once
// Crash reports. Once armed, SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT (an uncaught exception
// and a pure virtual call end in abort) run a handler on an alternate stack that writes a text
// report (signal, address, thread, backtrace, memory map) to a path fixed when arming, starts a
// notice program with fork and execve without waiting for it, and raises the signal again with
// its default action, so the process ends with the signal as before. Everything the handler
// needs is prepared when arming: inside it nothing allocates and nothing logs.
//
// The notice program gets the environment of the moment of arming plus one variable,
// "<noticeVariable>=1" when the report was written and "<noticeVariable>=0" when it could be
// created but not completely written. When the report cannot even be created, no notice
// program starts. A second crash while the report is being written ends the process at once.

#include <string>

namespace platform
{
struct CrashReportSetup
{
    std::string reportPath;     // written (replaced) by each crash
    std::string noticeProgram;  // started after the report; empty: none
    std::string noticeVariable; // the environment marker the notice program is started with
};

// Arms the handler for the process, replacing an earlier arming. False when the handler could
// not be installed.
bool ArmCrashReport(const CrashReportSetup& setup);
// Puts back the signal actions that were installed before arming.
void DisarmCrashReport();
// Gives the calling thread its own alternate signal stack (kept when it already has one), so a
// stack overflow still gets its report. Every thread the platform starts calls it first; it
// does nothing while no report is armed.
void PrepareThreadForCrashes();
} // namespace platform
