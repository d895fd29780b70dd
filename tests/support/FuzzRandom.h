// A small deterministic generator for fuzz loops: input i of a run is the same on every machine and can
// be made again on its own.
#pragma once

#include <cstddef>
#include <cstdint>

class CFuzzRandom
{
  public:
    // The generator of input `index` of the run `seed`.
    CFuzzRandom(uint32_t seed, uint32_t index)
    {
        // splitmix64 of the pair, so neighbouring inputs start far apart; xorshift needs a state other than 0.
        uint64_t z = ((uint64_t{seed} << 32) | index) + 0x9E3779B97F4A7C15u;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        z ^= z >> 31;
        m_uState = static_cast<uint32_t>(z) | 1u;
    }
    uint32_t Next()
    {
        m_uState ^= m_uState << 13;
        m_uState ^= m_uState >> 17;
        m_uState ^= m_uState << 5;
        return m_uState;
    }
    // 0 .. limit - 1 (0 when limit is 0).
    uint32_t Below(size_t limit)
    {
        return limit ? static_cast<uint32_t>(Next() % limit) : 0;
    }

  private:
    uint32_t m_uState = 1;
};
