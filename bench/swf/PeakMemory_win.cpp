// Peak memory of the running process: the peak working set on Windows.
#include "bench/swf/PeakMemory.h"

#include <windows.h>

#include <psapi.h>

uint64_t PeakMemoryKiB()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return static_cast<uint64_t>(counters.PeakWorkingSetSize) / 1024;
}
