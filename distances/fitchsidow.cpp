#include "distances/fitchsidow.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/group_partition.h"
#include "distances/jukecantor.h"

namespace {

// Counts, per group, the codons (c, c+1, c+2), c = 1, 4, 7, ..., with all
// three sites active whose first and second positions vary in the group.
// Unlike the other group transforms, a gap or missing state after the
// group's first state makes the position variable.
void estimate_invariable_codon(const tCharactersBlk* characters, const std::vector<int>& group, int K,
                               std::vector<tCodonCounts>* counts, int* warned)
{
  const int ntax = static_cast<int>(group.size()) - 1;
  const int nchar = characters->get_nchar();
  int C = 0;
  std::vector<unsigned char> state(static_cast<size_t>(K) + 1);
  std::vector<char> variable1(static_cast<size_t>(K) + 1), variable2(static_cast<size_t>(K) + 1);
  for (int c = 1; c + 2 <= nchar; c += 3) {
    if (!characters->get_mask(c) || !characters->get_mask(c + 1) || !characters->get_mask(c + 2))
      continue;
    C++;
    for (int pos = 0; pos < 3; pos++) {
      std::fill(state.begin(), state.end(), 0);
      for (int t = 1; t <= ntax; t++) {
        const unsigned char s = characters->get_matrix(t, c + pos);
        unsigned char& g = state[group[t]];
        if (g == 0) {
          if (s != characters->missing && !(characters->gap && s == characters->gap))
            g = s;
        } else if (g != s) {
          g = GROUP_VARIABLE;
        }
      }
      for (int g = 1; g <= K; g++) {
        if (pos == 0)
          variable1[g] = state[g] == GROUP_VARIABLE;
        if (pos == 1)
          variable2[g] = state[g] == GROUP_VARIABLE;
      }
    }
    for (int g = 1; g <= K; g++) {
      tCodonCounts& n = (*counts)[g];
      n.var1 += variable1[g];
      n.var2 += variable2[g];
      n.var12 += variable1[g] && variable2[g];
    }
  }
  message("\n");
  for (int g = 1; g <= K; g++) {
    tCodonCounts& n = (*counts)[g];
    n.C = C;
    n.Var = n.var12;
    if (n.var12 == 0 || C == 0) {
      n.Invar = 0.0;
      if (!*warned)
        warning("Fitch Sidow: Bad data (group %d)", g);
      *warned = 1;
    } else {
      n.Invar = C - static_cast<double>(n.var1) * n.var2 / n.var12;
    }
    n.Unvar = C - (n.Invar + n.Var);
    message("Group %d: var1=%d var2=%d var12=%d Var=%g Invar=%g Unvar=%g\n", g, n.var1, n.var2, n.var12,
            n.Var, n.Invar, n.Unvar);
  }
}

double share_variable(const tCodonCounts& n) { return n.Var == 0.0 ? 0.0 : n.Var / (n.Unvar + n.Var); }

// The distance corrected for multiple changes; false when the logarithm
// has no value there.
bool transform_distances(const tCodonCounts& g, const tCodonCounts& h, int k, double* D)
{
  if (*D == 0.0)
    return true;
  const double p = (2.0 * k + g.Invar + h.Invar) / (2.0 * g.C);
  const double b = 2.0 * p * (1.0 - p);
  const double x = b > 0.0 ? 1.0 - *D / b : 0.0;
  if (!(x >= JC_SATURATION))
    return false;
  *D = -b * std::log(x) + 0.0;
  return true;
}

} // namespace

double compute_value(const tCodonCounts& g, const tCodonCounts& h, int k)
{
  const double C = g.C;
  const double a = C + k - g.Invar - h.Invar, b = h.Invar - k, c = g.Invar - k;
  const double pg = share_variable(g), qg = 1.0 - pg;
  const double ph = share_variable(h), qh = 1.0 - ph;
  const double O[4] = {static_cast<double>(k), c, b, a};
  const double E[4] = {qg * qh * a + qg * b + k + qh * c, (qg * a + c) * ph, (qh * a + b) * pg, pg * ph * a};
  double value = 0.0;
  for (int m = 0; m < 4; m++) {
    if (E[m] == 0.0)
      return HUGE_VAL;
    value += (E[m] - O[m]) * (E[m] - O[m]) / E[m];
  }
  return value;
}

double fitch_sidow_distance(const tCodonCounts& g, const tCodonCounts& h, bool correct, bool* saturated)
{
  const int C = g.C;
  const int lo = std::max(0, static_cast<int>(g.Invar + h.Invar - C));
  const int hi = std::min(static_cast<int>(g.Invar), static_cast<int>(h.Invar));
  int best = lo;
  double best_value = HUGE_VAL;
  message("%d -> %g\n", lo, best_value);
  for (int k = lo; k <= hi; k++) {
    const double v = compute_value(g, h, k);
    if (v < best_value) {
      best_value = v;
      best = k;
      message("%d -> %g\n", k, v);
    }
  }
  // Without a codon there is nothing to tell the groups apart.
  if (C == 0)
    return 0.0;
  double D = (g.Invar - best) / C;
  if (correct && !transform_distances(g, h, best, &D)) {
    *saturated = true;
    return JC_SATURATED_DISTANCE;
  }
  return D + 0.0;
}

int computeFitchSidow(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                      tDistancesBlk* distances)
{
  const int ntax = taxa->get_ntax();
  std::vector<int> group;
  int K = 0;
  if (!partition_groups(assumptions, ntax, &group, &K))
    return 0;
  int warned = 0;
  message("--");
  std::vector<tCodonCounts> counts(static_cast<size_t>(K) + 1);
  estimate_invariable_codon(characters, group, K, &counts, &warned);
  std::vector<std::vector<double>> D(static_cast<size_t>(K) + 1, std::vector<double>(static_cast<size_t>(K) + 1, 0.0));
  bool saturated = false, told = false;
  for (int g = 1; g <= K; g++)
    for (int h = g + 1; h <= K; h++) {
      D[g][h] = D[h][g] = fitch_sidow_distance(counts[g], counts[h], assumptions->x != 0, &saturated);
      if (saturated && !told) {
        warning("Fitch Sidow: Value too small for groups %d and %d: distance set to %G", g, h,
                JC_SATURATED_DISTANCE);
        told = true;
      }
    }
  set_group_distances(group, D, distances);
  message("++");
  return 1;
}
