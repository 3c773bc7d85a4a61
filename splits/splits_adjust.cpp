#include "splits/splits_adjust.h"

#include <cmath>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_distances.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "distances/compute_freq.h"
#include "splits/quartets.h"
#include "splits/splits_sys.h"

double quartet_dsplits_index(const tQuart& q, double** M)
{
  return FMAX(M[q.a][q.c] + M[q.b][q.d], M[q.a][q.d] + M[q.b][q.c]) - (M[q.a][q.b] + M[q.c][q.d]);
}

double adjust_dsplits_index(const tQuart& q, double** d)
{
  return 0.5 * (d[q.a][q.c] + d[q.b][q.d] + d[q.a][q.d] + d[q.b][q.c]) - (d[q.a][q.b] + d[q.c][q.d]);
}

namespace {

// The pairs x <= y of a side: x < y, or x alone when the side has one taxon.
std::vector<std::pair<int, int>> side_pairs(const std::vector<int>& side)
{
  std::vector<std::pair<int, int>> pairs;
  if (side.size() == 1)
    pairs.emplace_back(side[0], side[0]);
  for (size_t i = 0; i < side.size(); i++)
    for (size_t k = i + 1; k < side.size(); k++)
      pairs.emplace_back(side[i], side[k]);
  return pairs;
}

// Some split separates a from b and shows ac|bd or ad|bc, or a|bcd.
// Both alternative groupings count: which of c and d is numbered first
// must not decide whether a split shows the quartet.
bool displayed(const tSplitsSystem* s, const tQuart& q)
{
  for (int j = 1; j <= s->get_n(); j++) {
    const tSet* S = s->get_split(j);
    const bool a = S->is_element(q.a), b = S->is_element(q.b), c = S->is_element(q.c), d = S->is_element(q.d);
    if (a == b)
      continue;
    if (c != d || (b == c && c == d))
      return true;
  }
  return false;
}

} // namespace

int adjust_weights(const tSplitsSystem* s, double** d, std::vector<double>& w)
{
  const int n = s->get_ntax(), nsplits = s->get_n();
  w.assign(static_cast<size_t>(nsplits) + 1, 0.0);
  for (int p = 1; p <= nsplits; p++)
    w[static_cast<size_t>(p)] = s->get_weight(p);

  // The distances the splits induce.
  tSquareMatrix M(n);
  for (int p = 1; p <= nsplits; p++) {
    const tSet* S = s->get_split(p);
    for (int x = 1; x <= n; x++)
      for (int y = 1; y <= n; y++)
        if (S->is_element(x) != S->is_element(y))
          M[x][y] += s->get_weight(p);
  }

  tQuartetsArray generating;
  for (int p = 1; p <= nsplits; p++) {
    std::vector<int> in, out;
    for (int x = 1; x <= n; x++)
      (s->get_split(p)->is_element(x) ? in : out).push_back(x);
    tQuartets Q(0);
    double m = 1000000.0;
    for (const auto& [a1, a2] : side_pairs(in)) {
      tcltk_update();
      for (const auto& [b1, b2] : side_pairs(out)) {
        tQuart q;
        q.a = a1;
        q.b = a2;
        q.c = b1;
        q.d = b2;
        q.value = quartet_dsplits_index(q, M.rows());
        if (!(q.value > 1e-06))
          continue;
        if (q.value < m - 1e-06)
          Q.reset();
        if (q.value < m + 1e-06) {
          Q.append_and_grow(q);
          m = q.value;
        }
      }
    }
    if (Q.get_len() == 0) {
      warning("adjust_iso_index(): Failed to determine generating quartets for p=%d", p);
      return 0;
    }
    generating.append(Q);
  }

  for (int p = 1; p <= nsplits; p++) {
    const tQuartets& Q = generating[p];
    double sum = 0.0;
    bool changed = false;
    for (int k = 1; k <= Q.get_len(); k++) {
      const tQuart& q = Q[k];
      const double v = q.value;
      if (displayed(s, q)) {
        sum += v;
        continue;
      }
      const double v2 = adjust_dsplits_index(q, d);
      // An unknown distance says nothing about the quartet.
      if (std::isfinite(v2) && std::fabs(v - v2) > 1e-06) {
        message("\nSplit %d: quart: %d %d | %d %d: %G -> %G", p, q.a, q.b, q.c, q.d, v, v2);
        sum += v2;
        changed = true;
      } else {
        sum += v;
      }
    }
    if (changed) {
      const double updated = sum / (2.0 * Q.get_len());
      const double old = w[static_cast<size_t>(p)];
      if (std::fabs(old - updated) > 1e-06) {
        message("\nSplit %d: Index: %G -> %G", p, old, updated);
        w[static_cast<size_t>(p)] = updated;
      }
    }
  }
  return 1;
}

int tSplitsSystem::adjust_isolation_indices(tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                                            tDistancesBlk* distances)
{
  (void)characters;
  if (same_token(assumptions->transform.c_str(), "NONE"))
    return 1;
  message("Adjusting Splits:");
  if (!distances->valid() || distances->get_ntax() != ntax) {
    warning("ADJUST: no distances of these %d taxa to adjust the splits with", ntax);
    return 0;
  }
  tSquareMatrix d(ntax);
  for (int x = 1; x <= ntax; x++)
    for (int y = 1; y <= ntax; y++)
      d[x][y] = x == y ? 0.0 : distances->get_matrix(x, y);
  std::vector<double> w;
  if (!adjust_weights(this, d.rows(), w))
    return 1;  // reported; the weights stay as computed
  for (int p = 1; p <= nsplits; p++)
    set_weight(p, w[static_cast<size_t>(p)]);
  message(" done\n");
  return 1;
}
