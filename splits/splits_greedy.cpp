// Greedy selections: splits are taken in order of decreasing weight and kept
// when the selection stays compatible (a tree) or weakly compatible.
#include "splits/splits_greedy.h"

#include <algorithm>
#include <cmath>

#include "core/set_array.h"

bool compare(const tSplitCandidate& x, const tSplitCandidate& y)
{
  // A weight that is not a number sorts last, so the order stays total.
  bool xnan = std::isnan(x.weight), ynan = std::isnan(y.weight);
  if (xnan != ynan)
    return ynan;
  if (!xnan && x.weight != y.weight)
    return x.weight > y.weight;
  return x.split < y.split;
}

void sort_candidates(std::vector<tSplitCandidate>& candidates)
{
  std::sort(candidates.begin(), candidates.end(), compare);
}

static std::vector<tSplitCandidate> candidates_of(const tSplitsSystem* src)
{
  std::vector<tSplitCandidate> candidates;
  for (int i = 1; i <= src->nsplits; i++)
    candidates.push_back({static_cast<float>(src->get_weight(i)), i});
  sort_candidates(candidates);
  return candidates;
}

int tSplitsSystem::greedy_compatible_splits(const tSplitsSystem* src)
{
  if (src == this) {
    // Selecting from itself: work from a copy of the splits.
    tSplitsSystem copy;
    copy.ntax = ntax;
    copy.move_splits(this);
    return greedy_compatible_splits(&copy);
  }
  std::vector<tSplitCandidate> candidates = candidates_of(src);
  clear();
  ntax = src->ntax;
  for (const tSplitCandidate& c : candidates) {
    int L = append_split(src->get_split(c.split), src->get_weight(c.split));
    for (int j = 1; j < L; j++) {
      if (splits[L]->is_complement(splits[j].get()) || splits[L]->equal(splits[j].get()) || !compatible_splits(L, j)) {
        pop_split();
        break;
      }
    }
  }
  return nsplits;
}

int tSplitsSystem::greedy_weakly_compatible_splits(const tSplitsSystem* src)
{
  if (src == this) {
    tSplitsSystem copy;
    copy.ntax = ntax;
    copy.move_splits(this);
    return greedy_weakly_compatible_splits(&copy);
  }
  std::vector<tSplitCandidate> candidates = candidates_of(src);
  clear();
  ntax = src->ntax;
  // incomp[j]: the later kept splits that are incompatible with kept split j.
  tSetArray incomp;
  tSet X;
  for (const tSplitCandidate& c : candidates) {
    int L = append_split(src->get_split(c.split), src->get_weight(c.split));
    X.resize(L);
    X.make_emptyset();
    bool ok = true;
    for (int j = 1; ok && j < L; j++) {
      if (!X.is_element(j) && !compatible_splits(j, L))
        X.insert(j);
      if (!X.is_element(j))
        continue;
      const tSet* later = incomp[j];
      for (int k = later->first_element(0); ok && k; k = later->next_element(0, k)) {
        if (!X.is_element(k) && !compatible_splits(k, L))
          X.insert(k);
        if (!weakly_compatible_splits(j, k, L))
          ok = false;
      }
    }
    if (ok) {
      for (int k = X.first_element(0); k; k = X.next_element(0, k))
        incomp.add(k, L);
    } else {
      pop_split();
    }
  }
  return nsplits;
}
