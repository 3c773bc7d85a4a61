#include "splits/packed_splits.h"

#include "core/sets.h"
#include "splits/splits_sys.h"

tPackedSplits::tPackedSplits(const tSplitsSystem& system)
{
  const int ntax = system.get_ntax(), n = system.get_n();
  words = ntax > 0 ? (static_cast<size_t>(ntax) + 63) / 64 : 1;
  last = ntax % 64 == 0 && ntax > 0 ? ~uint64_t(0) : (uint64_t(1) << (ntax % 64)) - 1;
  bits.assign(words * static_cast<size_t>(n > 0 ? n : 0), 0);
  for (int s = 1; s <= n; s++) {
    const tSet* S = system.get_split(s);
    uint64_t* r = bits.data() + static_cast<size_t>(s - 1) * words;
    for (int t = 1; t <= ntax; t++)
      if (S->is_element(t))
        r[static_cast<size_t>(t - 1) / 64] |= uint64_t(1) << ((t - 1) % 64);
  }
}

bool tPackedSplits::meet(int c1, int s1, int c2, int s2) const
{
  const uint64_t *a = row(s1), *b = row(s2);
  for (size_t w = 0; w < words; w++)
    if (side(c1, a, w) & side(c2, b, w))
      return true;
  return false;
}

bool tPackedSplits::meet(int c1, int s1, int c2, int s2, int c3, int s3) const
{
  const uint64_t *a = row(s1), *b = row(s2), *c = row(s3);
  for (size_t w = 0; w < words; w++)
    if (side(c1, a, w) & side(c2, b, w) & side(c3, c, w))
      return true;
  return false;
}

bool tPackedSplits::compatible(int i, int j) const
{
  // The four intersections in one pass: most pairs are compatible, and then
  // one of them has to be read to the end anyway.
  const uint64_t *a = row(i), *b = row(j);
  uint64_t ab = 0, aB = 0, Ab = 0, AB = 0;
  for (size_t w = 0; w < words; w++) {
    const uint64_t valid = w + 1 == words ? last : ~uint64_t(0);
    ab |= a[w] & b[w];
    aB |= a[w] & ~b[w];
    Ab |= ~a[w] & b[w] & valid;
    AB |= ~a[w] & ~b[w] & valid;
  }
  return !(ab && aB && Ab && AB);
}

bool tPackedSplits::weakly_compatible(int i, int j, int k) const
{
  if (meet(0, i, 0, j, 0, k) && meet(1, i, 0, j, 1, k) && meet(0, i, 1, j, 1, k) && meet(1, i, 1, j, 0, k))
    return false;
  if (meet(0, i, 0, j, 1, k) && meet(1, i, 0, j, 0, k) && meet(0, i, 1, j, 0, k) && meet(1, i, 1, j, 1, k))
    return false;
  return true;
}
