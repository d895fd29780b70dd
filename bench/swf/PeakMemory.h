// Peak memory of the running process, for benchmarks.
#pragma once

#include <cstdint>

// Peak resident memory (working set) of this process so far, in KiB; 0 when unknown.
uint64_t PeakMemoryKiB();
