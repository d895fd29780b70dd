// Peak memory of the running process: getrusage on POSIX systems.
#include "bench/swf/PeakMemory.h"

#include <sys/resource.h>

uint64_t PeakMemoryKiB()
{
    struct rusage usage = {};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    // Linux reports ru_maxrss in KiB.
    return static_cast<uint64_t>(usage.ru_maxrss);
}
