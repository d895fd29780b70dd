// The shared memory budget of a build's picture workers; the system query on POSIX systems.
#include "build/MemoryBudget.h"

#include <algorithm>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#endif

CMemoryBudget::CMemoryBudget(uint64_t uBytes) : m_uBytes(uBytes)
{
}

uint64_t CMemoryBudget::Bytes() const
{
    return m_uBytes;
}

void CMemoryBudget::Take(uint64_t uBytes)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t ticket = m_uNextTicket++;
    m_changed.wait(lock, [&] {
        return ticket == m_uServing && (m_uHeld == 0 || (m_uHeld <= m_uBytes && uBytes <= m_uBytes - m_uHeld));
    });
    m_uHeld += uBytes;
    ++m_uServing;
    lock.unlock();
    m_changed.notify_all();
}

void CMemoryBudget::Give(uint64_t uBytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_uHeld -= std::min(uBytes, m_uHeld);
    }
    m_changed.notify_all();
}

CMemoryShare::CMemoryShare(CMemoryBudget &budget, uint64_t uBytes) : m_budget(budget), m_uBytes(uBytes)
{
    m_budget.Take(m_uBytes);
}

CMemoryShare::~CMemoryShare()
{
    m_budget.Give(m_uBytes);
}

uint64_t DefaultMemoryBudget()
{
    constexpr uint64_t kMost = uint64_t(1) << 30;
    constexpr uint64_t kLeast = uint64_t(64) << 20;
    uint64_t physical = 0;
    uint64_t freeAddressSpace = 0;
    QuerySystemMemory(physical, freeAddressSpace);
    uint64_t budget = kMost;
    if (physical > 0)
        budget = std::min(budget, physical / 2);
    if (freeAddressSpace > 0)
        budget = std::min(budget, freeAddressSpace / 2);
    return std::max(budget, kLeast);
}

#ifndef _WIN32
void QuerySystemMemory(uint64_t &uPhysical, uint64_t &uFreeAddressSpace)
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    uPhysical = pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
    uFreeAddressSpace = 0;
    // A 32-bit process has at most 4 GiB of address space, whatever the limit says.
    uint64_t limit = sizeof(void *) < 8 ? uint64_t(1) << 32 : 0;
    struct rlimit space = {};
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY &&
        (limit == 0 || static_cast<uint64_t>(space.rlim_cur) < limit))
        limit = static_cast<uint64_t>(space.rlim_cur);
    if (limit == 0)
        return;
    // What the process already maps (Linux: the first field of /proc/self/statm, in pages).
    uint64_t used = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r"))
    {
        unsigned long long mapped = 0;
        if (std::fscanf(statm, "%llu", &mapped) == 1 && pageSize > 0)
            used = mapped * static_cast<uint64_t>(pageSize);
        std::fclose(statm);
    }
    uFreeAddressSpace = limit > used ? limit - used : 1;
}
#endif
