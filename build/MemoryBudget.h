// The memory the picture workers of one build share, and how much this process can give them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Bytes shared by threads that each need a share for a while. A thread waits for its share rather than
// fail: shares are handed out in the order they are asked for, each once it fits beside those held; a
// share larger than the whole budget is handed out when no other is held.
class CMemoryBudget
{
  public:
    explicit CMemoryBudget(uint64_t uBytes);
    CMemoryBudget(const CMemoryBudget &) = delete;
    CMemoryBudget &operator=(const CMemoryBudget &) = delete;

    uint64_t Bytes() const;
    void Take(uint64_t uBytes);
    void Give(uint64_t uBytes);

  private:
    const uint64_t m_uBytes;
    uint64_t m_uHeld = 0;
    uint64_t m_uNextTicket = 0; // order of asking
    uint64_t m_uServing = 0;    // the ticket whose turn it is
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

// A share of a budget, taken (waiting if need be) for the life of this object.
class CMemoryShare
{
  public:
    CMemoryShare(CMemoryBudget &budget, uint64_t uBytes);
    ~CMemoryShare();
    CMemoryShare(const CMemoryShare &) = delete;
    CMemoryShare &operator=(const CMemoryShare &) = delete;

  private:
    CMemoryBudget &m_budget;
    const uint64_t m_uBytes;
};

// The budget for the picture workers of a build in this process: 1 GiB, or less where half the physical
// memory, or half the address space still free, is less (a 32-bit Windows process has 2 GiB of address
// space; a POSIX process may have a limit set on it); never below 64 MiB.
uint64_t DefaultMemoryBudget();

// Physical memory and the address space still free for this process, in bytes; 0 where unknown or
// unlimited.
void QuerySystemMemory(uint64_t &uPhysical, uint64_t &uFreeAddressSpace);
