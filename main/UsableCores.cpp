#include "main/UsableCores.h"

#include <sched.h>

int UsableCores()
{
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (::sched_getaffinity(0, sizeof(cpus), &cpus) != 0)
        return 1;
    const int count = CPU_COUNT(&cpus);
    return count > 0 ? count : 1;
}
