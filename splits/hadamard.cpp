#include "splits/hadamard.h"

#include <algorithm>
#include <cstddef>

#include "core/message.h"

namespace {

// Entries that stay in cache while the short strides run over them.
constexpr size_t CACHE_BLOCK = size_t(1) << 14;
// Entries between two turns of the event pump.
constexpr size_t PUMP_EVERY = size_t(1) << 20;

// The butterflies of strides h_begin, 2 h_begin, ... below h_end over y[0..n).
void butterflies(float* y, size_t n, size_t h_begin, size_t h_end)
{
  for (size_t h = h_begin; h < h_end; h *= 2)
    for (size_t i = 0; i < n; i += 2 * h)
      for (size_t j = i; j < i + h; j++) {
        const float a = y[j], b = y[j + h];
        y[j] = a + b;
        y[j + h] = a - b;
      }
}

} // namespace

void hadamard(int nsize, const float* x, float* y)
{
  if (nsize <= 0 || !x || !y)
    error("hadamard(nsize=%d,x=%ld,y=%ld): zero value", nsize, reinterpret_cast<long>(x),
          reinterpret_cast<long>(y));
  if (nsize & (nsize - 1))
    error("hadamard(nsize=%d): not a power of 2", nsize);
  const size_t n = static_cast<size_t>(nsize);
  if (x != y)
    std::copy(x, x + n, y);
  // Each butterfly reads and writes only its own pair, so working block by
  // block through the short strides gives the same sums in the same order
  // as pass after pass over the whole vector, with far less memory traffic.
  const size_t block = std::min(n, CACHE_BLOCK);
  for (size_t start = 0; start < n; start += block) {
    butterflies(y + start, block, 1, block);
    // Spectra of many taxa take seconds: the interface stays alive.
    if ((start & (PUMP_EVERY - 1)) == 0)
      tcltk_update();
  }
  for (size_t h = block; h < n; h *= 2) {
    butterflies(y, n, h, 2 * h);
    tcltk_update();
  }
}

void hadamard_inverse(int nsize, const float* x, float* y)
{
  hadamard(nsize, x, y);
  const size_t n = static_cast<size_t>(nsize);
  for (size_t k = 0; k < n; k++)
    y[k] /= static_cast<float>(nsize);
}
