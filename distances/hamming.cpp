#include "distances/hamming.h"

#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "distances/compute_freq.h"

namespace {

// Counts, over n packed sites, those where both states are known and those
// where they also agree (0 = not compared). Byte counters over runs of 255
// sites let the compiler compare many sites per instruction.
void count_pair(const unsigned char* x, const unsigned char* y, size_t n, long long* compared, long long* same)
{
  long long c_total = 0, s_total = 0;
  for (size_t base = 0; base < n; base += 255) {
    const size_t end = base + 255 < n ? base + 255 : n;
    unsigned char c_run = 0, s_run = 0;
    for (size_t s = base; s < end; s++) {
      const unsigned char known = static_cast<unsigned char>((x[s] != 0) & (y[s] != 0));
      c_run = static_cast<unsigned char>(c_run + known);
      s_run = static_cast<unsigned char>(s_run + (known & (x[s] == y[s])));
    }
    c_total += c_run;
    s_total += s_run;
  }
  *compared = c_total;
  *same = s_total;
}

} // namespace

int computeHamming(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                   tDistancesBlk* distances)
{
  const std::vector<int> sites = active_sites(characters);
  // In any other gap mode the gap symbol is compared like a state.
  const int gap = same_token(assumptions->gapmode.c_str(), "MISSING") ? characters->gap : 0;
  const int ntax = taxa->get_ntax();
  const size_t n = sites.size();
  // The active sites of every taxon side by side; states not compared become 0.
  // Rows are addressed through data(): with no active site the table is empty.
  std::vector<unsigned char> packed(static_cast<size_t>(ntax + 1) * n, 0);
  for (int t = 1; t <= ntax; t++) {
    const unsigned char* row = characters->get_row(t);
    unsigned char* out = packed.data() + static_cast<size_t>(t) * n;
    for (size_t s = 0; s < n; s++) {
      const unsigned char x = row[sites[s]];
      out[s] = (x == characters->missing || (gap && x == gap)) ? 0 : x;
    }
  }
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      long long compared = 0, same = 0;
      count_pair(packed.data() + static_cast<size_t>(i) * n, packed.data() + static_cast<size_t>(j) * n, n, &compared,
                 &same);
      const double d = (compared == 0 || same == 0) ? 1.0 : 1.0 - static_cast<double>(same) / compared;
      distances->set_matrix(j, i, d);
    }
  return 1;
}
