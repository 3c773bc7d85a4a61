// The splits of a system as rows of bits, 64 taxa to a word, for the tests
// that compare sides of many splits: compatibility of all pairs, weak
// compatibility of triples. The answers are those of the element-by-element
// tests of tSplitsSystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class tSplitsSystem;

class tPackedSplits {
public:
  explicit tPackedSplits(const tSplitsSystem& system);

  // Whether the split's stored side (side 0) or its complement (side 1)
  // meets the other sides given: one of the four intersections of two
  // splits, or of the eight of three.
  bool meet(int c1, int s1, int c2, int s2) const;
  bool meet(int c1, int s1, int c2, int s2, int c3, int s3) const;
  bool compatible(int i, int j) const;
  bool weakly_compatible(int i, int j, int k) const;

private:
  size_t words = 0;
  std::vector<uint64_t> bits; // split s (1-based) at (s - 1) * words; taxon t at bit t - 1
  uint64_t last = 0;          // the valid bits of the last word

  const uint64_t* row(int s) const { return bits.data() + static_cast<size_t>(s - 1) * words; }
  uint64_t side(int c, const uint64_t* r, size_t w) const
  {
    const uint64_t valid = w + 1 == words ? last : ~uint64_t(0);
    return (c == 0 ? r[w] : ~r[w]) & valid;
  }
};
