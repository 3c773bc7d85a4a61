#include "distances/kimura3st.h"

#include <cmath>

#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/compute_freq.h"
#include "distances/jukecantor.h"

double kimura3st(int k, double** F, int* warned)
{
  if (k != 4)
    error("Kimura3 correction only defined for 4-colored data");
  const double P = 2.0 * (F[1][4] + F[4][1] + F[2][3] + F[3][2]);
  const double Q = 1.0 - 2.0 * (F[1][2] + F[2][1] + F[3][4] + F[4][3]);
  const double R = 2.0 * (F[1][3] + F[3][1] + F[2][4] + F[4][2]);
  const double x = (Q - P) * (Q - R) * (1.0 - P - R);
  if (x >= JC_SATURATION)
    return -0.25 * std::log(x) + 0.0;  // 0, not -0, for identical sequences
  if (!*warned) {
    warning("Kimura3: Value too small: %G (no further warnings)", x);
    *warned = 1;
  }
  return JC_SATURATED_DISTANCE;
}

int computeK3ST(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                tDistancesBlk* distances)
{
  return compute_pair_distances(taxa, assumptions, characters, distances, kimura3st);
}
