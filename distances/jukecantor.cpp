#include "distances/jukecantor.h"

#include <cmath>

#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/compute_freq.h"

double jukeCantor(int k, double** F, int* warned)
{
  // With one state nothing can differ.
  if (k < 2)
    return 0.0;
  double h = 0.0;
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      if (a != b)
        h += F[a][b];
  const double x = 1.0 - h * k / (k - 1);
  // (+ 0.0 turns the -0 of identical sequences into 0.)
  if (x >= JC_SATURATION)
    return -(static_cast<double>(k - 1) / k) * std::log(x) + 0.0;
  if (!*warned) {
    warning("Juke-Cantor: Value too small: %G (no further warnings)", x);
    *warned = 1;
  }
  return JC_SATURATED_DISTANCE;
}

int computeJukeCantor(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                      tDistancesBlk* distances)
{
  return compute_pair_distances(taxa, assumptions, characters, distances, jukeCantor);
}
