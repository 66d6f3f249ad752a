#pragma once
// The crash handler of a program. Made first thing in main, before WinMain, and kept for the
// program's life: a crash then leaves a text report "<program path>.dmp" beside the program
// and a short-lived copy of the program tells the user in a message box, while the crashed
// process ends with its signal.
//
// The same object is the whole of that short-lived copy: started with the marker
// PICTAVO_CRASH_NOTICE in its environment, the constructor shows the message and ends the
// process, so nothing of the program itself runs again.

class CCrashHandler
{
public:
    CCrashHandler();
    ~CCrashHandler();
    CCrashHandler(const CCrashHandler&) = delete;
    CCrashHandler& operator=(const CCrashHandler&) = delete;

    // The environment marker the message copy is started with ("1": report written, "0": not).
    static constexpr const char* kNoticeVariable = "PICTAVO_CRASH_NOTICE";
    // Tests start a recorder of theirs in place of the program's own copy.
    static constexpr const char* kNoticeProgramVariable = "PICTAVO_CRASH_NOTICE_PROGRAM";

private:
    [[noreturn]] static void ShowNoticeAndExit(bool reportWritten);
};
