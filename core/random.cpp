#include "core/random.h"

#include <cstdint>

namespace {
// Unsigned 32-bit state, so the arithmetic wraps the same on every platform.
thread_local uint32_t next_state = 1;
} // namespace

int ref_rand()
{
  next_state = next_state * 1103515245u + 12345u;
  return static_cast<int>((next_state / 65536u) % 32768u);
}

void ref_srand(unsigned int seed) { next_state = static_cast<uint32_t>(seed); }
