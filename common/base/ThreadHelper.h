#pragma once
// Base of an object that owns one worker thread running its Run. The destructor neither
// stops nor waits for the thread: the owner calls Wait (or stops it its own way) first.

#include "platform/Win32.h"

class ThreadHelper
{
public:
    ThreadHelper() = default;
    ThreadHelper(const ThreadHelper&) = delete;
    ThreadHelper& operator=(const ThreadHelper&) = delete;
    virtual ~ThreadHelper() = default;

    virtual void Run() = 0;

    // Starts Run on a new thread; false (with a line on standard output) when it cannot start.
    bool Start();
    // Waits without a time-out; true when the thread has ended.
    bool Wait();
    // True while a thread handle is held.
    bool IsStarted() const { return m_hThread != nullptr; }

protected:
    // Closes the handle of an ended thread so that a later Start can make a new one.
    void CloseThread();

    HANDLE m_hThread = nullptr;
    unsigned m_nThreadId = 0;

private:
    static unsigned ThreadProc(void* object);
};
