#include "distances/pam250.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "distances/compute_freq.h"

namespace {

const char AMINO_ACIDS[] = "CSTPAGNDEQHRKMILVFYW";

const int PAM250[20][20] = {
  { 5, 17, 19, 20, 19, 20, 21, 22, 22, 22, 20, 21, 22, 22, 19, 23, 19, 21, 17, 25},  // C
  {17, 15, 16, 16, 16, 16, 16, 17, 17, 18, 18, 17, 17, 19, 18, 20, 18, 20, 20, 19},  // S
  {19, 16, 14, 17, 16, 17, 17, 17, 17, 18, 18, 18, 17, 18, 17, 19, 17, 20, 20, 22},  // T
  {20, 16, 17, 11, 16, 18, 18, 18, 18, 17, 17, 17, 18, 19, 19, 20, 18, 22, 22, 23},  // P
  {19, 16, 16, 16, 15, 16, 17, 17, 17, 17, 18, 19, 18, 18, 19, 19, 17, 21, 20, 23},  // A
  {20, 16, 17, 18, 16, 12, 17, 16, 17, 18, 19, 20, 19, 20, 20, 21, 18, 22, 22, 24},  // G
  {21, 16, 17, 18, 17, 17, 15, 15, 16, 16, 15, 17, 16, 19, 19, 20, 19, 21, 19, 21},  // N
  {22, 17, 17, 18, 17, 16, 15, 13, 14, 15, 16, 18, 17, 20, 19, 21, 19, 23, 21, 24},  // D
  {22, 17, 17, 18, 17, 17, 16, 14, 13, 15, 16, 18, 17, 19, 19, 20, 19, 22, 21, 24},  // E
  {22, 18, 18, 17, 17, 18, 16, 15, 15, 13, 14, 16, 16, 18, 19, 19, 19, 22, 21, 22},  // Q
  {20, 18, 18, 17, 18, 19, 15, 16, 16, 14, 11, 15, 17, 19, 19, 19, 19, 19, 17, 20},  // H
  {21, 17, 18, 17, 19, 20, 17, 18, 18, 16, 15, 11, 14, 17, 19, 20, 19, 21, 21, 15},  // R
  {22, 17, 17, 18, 18, 19, 16, 17, 17, 16, 17, 14, 12, 17, 19, 20, 19, 22, 21, 20},  // K
  {22, 19, 18, 19, 18, 20, 19, 20, 19, 18, 19, 17, 17, 11, 15, 13, 15, 17, 19, 21},  // M
  {19, 18, 17, 19, 19, 20, 19, 19, 19, 19, 19, 19, 19, 15, 12, 15, 13, 16, 18, 22},  // I
  {23, 20, 19, 20, 19, 21, 20, 21, 20, 19, 19, 20, 20, 13, 15, 11, 15, 15, 18, 19},  // L
  {19, 18, 17, 18, 17, 18, 19, 19, 19, 19, 19, 19, 19, 15, 13, 15, 13, 18, 19, 23},  // V
  {21, 20, 20, 22, 21, 22, 21, 23, 22, 22, 19, 21, 22, 17, 16, 15, 18,  8, 10, 17},  // F
  {17, 20, 20, 22, 20, 22, 19, 21, 21, 21, 17, 21, 21, 19, 18, 18, 19, 10,  7, 17},  // Y
  {25, 19, 22, 23, 23, 24, 21, 24, 24, 22, 20, 15, 20, 21, 22, 19, 23, 17, 17,  0},  // W
};

// Row of an amino-acid letter in the table, -1 for any other byte.
int amino_acid(int c)
{
  if (c <= 0 || c > 255)
    return -1;
  const char* p = std::strchr(AMINO_ACIDS, std::toupper(c));
  return p ? static_cast<int>(p - AMINO_ACIDS) : -1;
}

} // namespace

int pam250_entry(int x, int y)
{
  const int a = amino_acid(x), b = amino_acid(y);
  return a < 0 || b < 0 ? -1 : PAM250[a][b];
}

int computePAM250(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                  tDistancesBlk* distances)
{
  if (!same_token(assumptions->gapmode.c_str(), "MISSING")) {
    warning("PAM250 only valid with GAPMODE=MISSING");
    return 0;
  }
  for (int c = 0; c < 256; c++)
    assumptions->colors2symbols[c] = static_cast<char>(characters->colors2symbols[c]);
  const std::vector<int> sites = active_sites(characters);
  const int missing = characters->missing, gap = characters->gap;
  const int ntax = taxa->get_ntax();
  for (int i = 1; i <= ntax; i++) {
    const unsigned char* x = characters->get_row(i);
    for (int j = i + 1; j <= ntax; j++) {
      const unsigned char* y = characters->get_row(j);
      double d = 0.0;
      for (int c : sites) {
        if (x[c] == missing || y[c] == missing || (gap && (x[c] == gap || y[c] == gap)))
          continue;
        const int e = pam250_entry(x[c], y[c]);
        if (e >= 0)
          d += e;
      }
      distances->set_matrix(j, i, d);
    }
  }
  return 1;
}
