#include "platform/ipc/ProcessStart.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace platform::ipc
{
unsigned long long ProcessStartTime(pid_t pid)
{
    if (pid <= 0)
        return 0;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces and parentheses: the fields start after the last ')'.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    // Field 3 (state) is the first after the name; start time is field 22.
    for (int index = 3; index <= 22 && fields >> field; ++index)
    {
        // A zombie has ended; only its parent has not collected it yet.
        if (index == 3 && (field == "Z" || field == "X"))
            return 0;
        if (index == 22)
            return std::strtoull(field.c_str(), nullptr, 10);
    }
    return 0;
}

bool IsSameProcess(pid_t pid, unsigned long long startTime)
{
    return startTime != 0 && ProcessStartTime(pid) == startTime;
}
} // namespace platform::ipc
