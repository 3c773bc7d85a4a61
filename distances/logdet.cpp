#include "distances/logdet.h"

#include <cmath>
#include <vector>

#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/compute_freq.h"
#include "distances/det.h"
#include "distances/matrices.h"

namespace {

constexpr double SINGULAR_DISTANCE = 1.0;

// The first state of taxon t whose share (its diagonal of F) is not
// positive, or 0 when it has every state.
int lacking_state(int k, double** F)
{
  for (int a = 1; a <= k; a++)
    if (!(F[a][a] > 0.0))
      return a;
  return 0;
}

} // namespace

bool logdet_distance(int k, double** F, double Pi, double Pj, double* d)
{
  if (!(Pi > 0.0) || !(Pj > 0.0))
    return false;
  const double D = detMat(k, F);
  if (D == 0.0)
    return false;
  const double x = (0.5 * std::log(Pi * Pj) - std::log(std::fabs(D))) / k;
  if (!std::isfinite(x))
    return false;
  *d = x + 0.0;  // 0, not -0, for identical sequences
  return true;
}

int computeLogDet(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                  tDistancesBlk* distances)
{
  const int k = characters->ncolors;
  const int ntax = taxa->get_ntax();
  double** F = newMat(k);
  const tPairCounter counter(characters);

  std::vector<double> P(static_cast<size_t>(ntax) + 1, 0.0);
  bool told = false;
  for (int t = 1; t <= ntax; t++) {
    computeF(counter, characters, assumptions, t, t, F);
    P[t] = traceMat(k, F);
    // The log of a zero share is no distance: such a taxon's pairs are
    // treated as singular ones.
    if (const int a = lacking_state(k, F)) {
      const char symbol = static_cast<char>(characters->colors2symbols[a]);
      if (!told)
        warning("LogDet: Taxon %s has no state %c: its distances are set to 1.0", taxa->getlabel(t), symbol);
      else
        message("LogDet: Taxon %s has no state %c: its distances are set to 1.0\n", taxa->getlabel(t), symbol);
      told = true;
      P[t] = 0.0;
    }
  }

  bool warned = false;
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      computeF(counter, characters, assumptions, i, j, F);
      double d = SINGULAR_DISTANCE;
      if (!logdet_distance(k, F, P[i], P[j], &d)) {
        d = SINGULAR_DISTANCE;
        if (!warned)
          warning("LogDet: Matrix is singular: F_(t=%d,s=%d)", i, j);
        else
          message("LogDet: Matrix is singular: F_(t=%d,s=%d)\n", i, j);
        warned = true;
      }
      distances->set_matrix(i, j, d);
    }
  freeMat(k, F);
  return 1;
}
