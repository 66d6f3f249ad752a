// A program that installs the crash handler as the real programs do and then crashes the way
// its one argument names: "null" (a write through a null pointer), "abort", "purevirtual" (a
// virtual call on an object under destruction), "thread" (the null write on a worker thread)
// or "overflow" (unbounded recursion on a worker thread). The functions are exported so the
// report's backtrace can name them; the helper is built without optimisation so that every
// one of them keeps its own frame.
#include "common/base/CrashHandler.h"
#include "common/base/WorkerThread.h"

#include <cstdlib>
#include <cstring>

extern "C" __attribute__((noinline)) void CrasherWriteThroughNull(volatile int* target)
{
    *target = 42;
}

extern "C" __attribute__((noinline)) int CrasherRecurse(int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (depth < 0) // never: depth only grows
        return 0;
    return CrasherRecurse(depth + 1) + frame[0];
}

extern "C" __attribute__((noinline)) void CrasherAbort()
{
    std::abort();
}

namespace
{
class Shape;
void Describe(Shape* shape);

class Shape
{
public:
    virtual ~Shape() { Describe(this); } // the derived part is gone: the pure slot is back
    virtual int Corners() = 0;
};

class Square : public Shape
{
public:
    int Corners() override { return 4; }
};

} // namespace

extern "C" __attribute__((noinline)) void CrasherCallCorners(Shape* shape)
{
    static_cast<void>(shape->Corners());
}

namespace
{
void Describe(Shape* shape)
{
    CrasherCallCorners(shape);
}

} // namespace

int main(int argc, char** argv)
{
    CCrashHandler crashHandler;
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "null") == 0)
        CrasherWriteThroughNull(nullptr);
    else if (std::strcmp(mode, "abort") == 0)
        CrasherAbort();
    else if (std::strcmp(mode, "purevirtual") == 0)
        delete static_cast<Shape*>(new Square);
    else if (std::strcmp(mode, "thread") == 0 || std::strcmp(mode, "overflow") == 0)
    {
        const bool overflow = std::strcmp(mode, "overflow") == 0;
        CWorkerThread worker;
        worker.Start([overflow](const std::stop_token&) {
            if (overflow)
                static_cast<void>(CrasherRecurse(0));
            else
                CrasherWriteThroughNull(nullptr);
        });
        worker.Join();
    }
    return 0;
}
