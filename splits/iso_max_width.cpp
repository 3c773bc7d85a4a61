#include "splits/iso_max_width.h"

#include <cmath>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_distances.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "distances/compute_freq.h"
#include "splits/splits_sys.h"

double iso_index(double** d, int a1, int a2, int b1, int b2)
{
  return 0.5 * (FMAX(d[a1][b1] + d[a2][b2], d[a1][b2] + d[a2][b1]) - d[a1][a2] - d[b1][b2]);
}

double width(double** d, int a1, int a2, int b1, int b2)
{
  return FMAX(FMAX(d[a1][b1], d[a1][b2]), FMAX(d[a2][b1], d[a2][b2]));
}

std::vector<std::pair<int, int>> admissible_pairs(const tSplitsSystem* s, int i, int side)
{
  const int n = s->get_ntax();
  const tSet* Si = s->get_split(i);
  auto on_side = [&](const tSet* S, int x) { return S->is_element(x) != (side == 1); };
  // blocked[x][y]: some nested side holds x and y.
  std::vector<std::vector<char>> blocked(static_cast<size_t>(n) + 1, std::vector<char>(static_cast<size_t>(n) + 1, 0));
  std::vector<int> members;
  for (int j = 1; j <= s->get_n(); j++) {
    if (j == i)
      continue;
    const tSet* Sj = s->get_split(j);
    // Side 0: S_j inside S_i; side 1: S_i inside S_j, so that the
    // complement of S_j lies inside that of S_i. (X->is_subset_N(0, Y):
    // Y inside X.)
    const bool nested = side == 0 ? Si->is_subset_N(0, Sj) : Sj->is_subset_N(0, Si);
    if (!nested)
      continue;
    members.clear();
    for (int x = 1; x <= n; x++)
      if (on_side(Sj, x))
        members.push_back(x);
    for (int x : members)
      for (int y : members)
        blocked[static_cast<size_t>(x)][static_cast<size_t>(y)] = 1;
  }
  std::vector<std::pair<int, int>> pairs;
  for (int x = 1; x <= n; x++)
    if (on_side(Si, x))
      for (int y = x; y <= n; y++)
        if (on_side(Si, y) && !blocked[static_cast<size_t>(x)][static_cast<size_t>(y)])
          pairs.emplace_back(x, y);
  return pairs;
}

void average_isolation_indices(const tSplitsSystem* s, double** d, double max_width, std::vector<double>& w,
                               long* unknown)
{
  w.assign(static_cast<size_t>(s->get_n()) + 1, 0.0);
  *unknown = 0;
  bool warned = false;
  for (int i = 1; i <= s->get_n(); i++) {
    const std::vector<std::pair<int, int>> A = admissible_pairs(s, i, 0);
    const std::vector<std::pair<int, int>> B = admissible_pairs(s, i, 1);
    double sum = 0.0;
    long count = 0;
    for (const auto& [a1, a2] : A) {
      tcltk_update();
      for (const auto& [b1, b2] : B) {
        if (max_width != 0.0 && width(d, a1, a2, b1, b2) > max_width)
          continue;
        const double q = iso_index(d, a1, a2, b1, b2);
        if (!std::isfinite(q)) {
          ++*unknown;
          continue;
        }
        sum += q;
        count++;
      }
    }
    if (count > 0) {
      w[static_cast<size_t>(i)] = sum / static_cast<double>(count);
      message(".");
    } else {
      if (!warned)
        warning("max_width=%G: too small to define all splits", max_width);
      warned = true;
      message("\nWarning: max_width too small, split: %d\n", i);
    }
  }
}

int tSplitsSystem::iso_max_width(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances)
{
  (void)taxa;
  if (distances->get_ntax() != ntax) {
    warning("EDGE_TRANSFORM=AVERAGE: the distances are of %d taxa, the splits of %d", distances->get_ntax(), ntax);
    return 0;
  }
  const double mw = assumptions->max_width;
  if (mw != 0.0)
    message("Averaging isolation indices using threshold %G ", mw);
  else
    message("Averaging isolation indices\n");
  tSquareMatrix d(ntax);
  for (int x = 1; x <= ntax; x++)
    for (int y = 1; y <= ntax; y++)
      d[x][y] = x == y ? 0.0 : distances->get_matrix(x, y);
  std::vector<double> w;
  long unknown = 0;
  average_isolation_indices(this, d.rows(), mw, w, &unknown);
  if (unknown > 0)
    warning("EDGE_TRANSFORM=AVERAGE: %ld quartets with unknown distances left out", unknown);
  for (int i = 1; i <= nsplits; i++)
    set_weight(i, w[static_cast<size_t>(i)]);
  message("done\n");
  return 1;
}
