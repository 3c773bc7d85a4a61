// Greedy selections: splits are taken in order of decreasing weight and kept
// when the selection stays compatible (a tree) or weakly compatible.
#include "splits/splits_greedy.h"

#include <algorithm>
#include <cmath>

#include "blocks/blk_spectra.h"
#include "core/message.h"
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

// ---------------------------------------------------------------- binary codes

namespace {

// A split as its two sides over ntax taxa.
struct tCodeSplit {
  unsigned side[2];
};

tCodeSplit code_split(int ntax, unsigned code)
{
  const unsigned all = ntax >= 32 ? ~0u : (1u << ntax) - 1u;
  return {{code & all, ~code & all}};
}

bool code_compatible(const tCodeSplit& a, const tCodeSplit& b)
{
  return !(a.side[0] & b.side[0]) || !(a.side[0] & b.side[1]) || !(a.side[1] & b.side[0]) ||
         !(a.side[1] & b.side[1]);
}

// The triples of sides that no three weakly compatible splits all meet.
bool code_weakly_compatible(const tCodeSplit& a, const tCodeSplit& b, const tCodeSplit& c)
{
  static const int groups[2][4][3] = {{{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 0}},
                                      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}}};
  for (const auto& group : groups) {
    bool all_met = true;
    for (const auto& s : group)
      if (!(a.side[s[0]] & b.side[s[1]] & c.side[s[2]])) {
        all_met = false;
        break;
      }
    if (all_met)
      return false;
  }
  return true;
}

} // namespace

std::vector<size_t> greedy_compatible_codes(int ntax, const std::vector<unsigned>& codes)
{
  std::vector<size_t> kept;
  std::vector<tCodeSplit> chosen;
  // A binary tree on ntax taxa has 2 ntax - 3 splits, and no further split is
  // compatible with all of them: the rest of a long list need not be read.
  const size_t full_tree = ntax >= 2 ? static_cast<size_t>(2 * ntax - 3) : 1;
  for (size_t i = 0; i < codes.size() && chosen.size() < full_tree; i++) {
    if ((i & 0xfffff) == 0)
      tcltk_update();
    const tCodeSplit s = code_split(ntax, codes[i]);
    bool ok = s.side[0] && s.side[1];
    for (size_t j = 0; ok && j < chosen.size(); j++)
      ok = chosen[j].side[0] != s.side[0] && chosen[j].side[0] != s.side[1] && code_compatible(chosen[j], s);
    if (ok) {
      chosen.push_back(s);
      kept.push_back(i);
    }
  }
  return kept;
}

std::vector<size_t> greedy_weakly_compatible_codes(int ntax, const std::vector<unsigned>& codes)
{
  std::vector<size_t> kept;
  std::vector<tCodeSplit> chosen;
  // incomp[j]: the later kept splits that are incompatible with kept split j.
  std::vector<std::vector<size_t>> incomp;
  std::vector<char> in_x;
  for (size_t i = 0; i < codes.size(); i++) {
    if ((i & 0xfffff) == 0)
      tcltk_update();
    const tCodeSplit s = code_split(ntax, codes[i]);
    if (!s.side[0] || !s.side[1])
      continue;
    const size_t L = chosen.size();
    in_x.assign(L, 0);
    bool ok = true;
    for (size_t j = 0; ok && j < L; j++) {
      if (!in_x[j] && !code_compatible(chosen[j], s))
        in_x[j] = 1;
      if (!in_x[j])
        continue;
      for (size_t q = 0; ok && q < incomp[j].size(); q++) {
        const size_t k = incomp[j][q];
        if (!in_x[k] && !code_compatible(chosen[k], s))
          in_x[k] = 1;
        if (!code_weakly_compatible(chosen[j], chosen[k], s))
          ok = false;
      }
    }
    if (!ok)
      continue;
    for (size_t k = 0; k < L; k++)
      if (in_x[k])
        incomp[k].push_back(L);
    chosen.push_back(s);
    incomp.emplace_back();
    kept.push_back(i);
  }
  return kept;
}

// ---------------------------------------------------------------- spectra

namespace {

// Every entry but the empty split whose combined value, in single precision,
// is above the block's threshold, in the shared order.
std::vector<tSplitCandidate> spectrum_candidates(const tSpectraBlk* spectra)
{
  std::vector<tSplitCandidate> candidates;
  const float threshold = spectra->get_threshold();
  for (int k = 1; k < spectra->get_nsize(); k++) {
    // Millions of entries for many taxa: the interface stays alive.
    if ((k & 0xfffff) == 0)
      tcltk_update();
    const float w = static_cast<float>(spectra->get_para_sum(k));
    if (w > threshold)
      candidates.push_back({w, k});
  }
  sort_candidates(candidates);
  return candidates;
}

// Fills `system` with the selection from the spectrum.
int select_from_spectrum(tSplitsSystem* system, const tSpectraBlk* spectra, bool weakly)
{
  const std::vector<tSplitCandidate> candidates = spectrum_candidates(spectra);
  std::vector<unsigned> codes(candidates.size());
  for (size_t i = 0; i < candidates.size(); i++)
    codes[i] = static_cast<unsigned>(candidates[i].split);
  const int n = spectra->get_ntax();
  const std::vector<size_t> kept =
    weakly ? greedy_weakly_compatible_codes(n, codes) : greedy_compatible_codes(n, codes);
  system->clear();
  system->set_ntax(n);
  tSet split;
  for (size_t i : kept) {
    split.binary2set(n, candidates[i].split);
    system->append_split(&split, static_cast<double>(candidates[i].weight));
  }
  return system->get_n();
}

} // namespace

int tSplitsSystem::greedy_compatible_splits_spectra(tSpectraBlk* spectra)
{
  return select_from_spectrum(this, spectra, false);
}

int tSplitsSystem::greedy_weakly_compatible_splits_spectra(tSpectraBlk* spectra)
{
  return select_from_spectrum(this, spectra, true);
}
