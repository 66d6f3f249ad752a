// Child process for the log tests: one run of a program that logs into a dated file.
// Usage: common_log_writer <log folder> <text>. It ends without calling Stop, as a program
// that simply returns from main does.
#include "common/base/Log.h"
#include "common/base/StringHelper.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    CLog::GetInstance()->Init(argv[1], nullptr);
    LOG_INFO(L"WinMain", L"%s", AnsiToWide(argv[2]).c_str());
    return 0;
}
