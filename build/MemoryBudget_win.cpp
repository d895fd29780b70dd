// The system memory query on Windows: physical memory and the process's free virtual address space.
#include "build/MemoryBudget.h"

#include <windows.h>

void QuerySystemMemory(uint64_t &uPhysical, uint64_t &uFreeAddressSpace)
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    uPhysical = 0;
    uFreeAddressSpace = 0;
    if (!GlobalMemoryStatusEx(&status))
        return;
    uPhysical = status.ullTotalPhys;
    uFreeAddressSpace = status.ullAvailVirtual;
}
