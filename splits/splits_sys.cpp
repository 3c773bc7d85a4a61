#include "splits/splits_sys.h"

#include <algorithm>
#include <cstdint>

#include "blocks/blk_distances.h"
#include "core/message.h"
#include "splits/packed_splits.h"

tSplitsSystem::tSplitsSystem()
{
  splits.resize(1);
  weights.resize(1, 0.0);
}

tSplitsSystem::~tSplitsSystem() { clear(); }

void tSplitsSystem::clear()
{
  splits.clear();
  splits.resize(1);
  weights.assign(1, 0.0);
  nsplits = 0;
  ntax = 0;
  cycle.clear();
  is_cyclic = 0;
}

void tSplitsSystem::set_n(int n)
{
  clear();
  if (n < 0)
    n = 0;
  nsplits = n;
  splits.resize(static_cast<size_t>(n) + 1);
  for (int i = 1; i <= n; i++)
    splits[i] = std::make_unique<tSet>();
  weights.assign(static_cast<size_t>(n) + 1, 0.0);
}

tSet* tSplitsSystem::get_split(int n)
{
  if (n < 1 || n > nsplits)
    error("tSplitsBlk::get_split (n=%d): out of range 1..%d", n, nsplits);
  return splits[n].get();
}

const tSet* tSplitsSystem::get_split(int n) const
{
  if (n < 1 || n > nsplits)
    error("tSplitsBlk::get_split (n=%d): out of range 1..%d", n, nsplits);
  return splits[n].get();
}

double tSplitsSystem::get_weight(int n) const
{
  if (n < 1 || n > nsplits)
    error("tSplitsBlk::get_weight (n=%d): out of range 1..%d", n, nsplits);
  return weights[n];
}

void tSplitsSystem::set_weight(int n, double w)
{
  if (n < 1 || n > nsplits)
    error("tSplitsBlk::set_weight (n=%d,wgt=%g): out of range 1..%d", n, w, nsplits);
  weights[n] = w;
}

int tSplitsSystem::append_split(const tSet* A, double w)
{
  nsplits++;
  if (A->max_size() != ntax)
    error("append_split (A,wgt): max_size_A and ntax disagree: %d %d", A->max_size(), ntax);
  // Keeps long computations responsive, as every allocation does.
  tcltk_update();
  auto S = std::make_unique<tSet>(ntax);
  S->copy_N(A->is_element(1) ? 0 : 1, A);
  splits.push_back(std::move(S));
  weights.push_back(w);
  return nsplits;
}

int tSplitsSystem::pop_split()
{
  if (nsplits > 0) {
    splits.pop_back();
    weights.pop_back();
    nsplits--;
  }
  return nsplits;
}

int tSplitsSystem::move_splits(tSplitsSystem* src)
{
  if (ntax != src->ntax)
    error("move_splits(src): ntax=%d != src->ntax=%d", ntax, src->ntax);
  if (src == this)
    return nsplits;
  splits = std::move(src->splits);
  weights = std::move(src->weights);
  nsplits = src->nsplits;
  src->splits.clear();
  src->splits.resize(1);
  src->weights.assign(1, 0.0);
  src->nsplits = 0;
  return nsplits;
}

// Side 0 of a split is its stored set, side 1 the complement.
static bool on_side(const tSet* S, int side, int t) { return S->is_element(t) == (side == 0); }

int tSplitsSystem::intersect2(int c1, int s1, int c2, int s2) const
{
  const tSet* A = get_split(s1);
  const tSet* B = get_split(s2);
  for (int t = 1; t <= ntax; t++)
    if (on_side(A, c1, t) && on_side(B, c2, t))
      return t;
  return 0;
}

int tSplitsSystem::intersect3(int c1, int s1, int c2, int s2, int c3, int s3) const
{
  const tSet* A = get_split(s1);
  const tSet* B = get_split(s2);
  const tSet* C = get_split(s3);
  for (int t = 1; t <= ntax; t++)
    if (on_side(A, c1, t) && on_side(B, c2, t) && on_side(C, c3, t))
      return t;
  return 0;
}

int tSplitsSystem::compatible_splits(int i, int j) const
{
  return !(intersect2(0, i, 0, j) && intersect2(0, i, 1, j) && intersect2(1, i, 0, j) && intersect2(1, i, 1, j));
}

int tSplitsSystem::weakly_compatible_splits(int i, int j, int k) const
{
  if (intersect3(0, i, 0, j, 0, k) && intersect3(1, i, 0, j, 1, k) && intersect3(0, i, 1, j, 1, k)
      && intersect3(1, i, 1, j, 0, k))
    return 0;
  if (intersect3(0, i, 0, j, 1, k) && intersect3(1, i, 0, j, 0, k) && intersect3(0, i, 1, j, 0, k)
      && intersect3(1, i, 1, j, 1, k))
    return 0;
  return 1;
}

int tSplitsSystem::strongly_compatible() const
{
  const tPackedSplits packed(*this);
  for (int i = 1; i <= nsplits; i++) {
    if (!(weights[i] > 0.0))
      continue;
    for (int j = i + 1; j <= nsplits; j++)
      if (weights[j] > 0.0 && !packed.compatible(i, j))
        return 0;
  }
  return 1;
}

int tSplitsSystem::weakly_compatible() const
{
  const tPackedSplits packed(*this);
  for (int i = 1; i <= nsplits; i++) {
    if (!(weights[i] > 0.0))
      continue;
    for (int j = i + 1; j <= nsplits; j++) {
      if (!(weights[j] > 0.0))
        continue;
      for (int k = j + 1; k <= nsplits; k++) {
        if (weights[k] > 0.0 && !packed.weakly_compatible(i, j, k)) {
          message("Not w.c.: %d %d %d\n", i, j, k);
          return 0;
        }
      }
    }
  }
  return 1;
}

double tSplitsSystem::compute_fit(const tDistancesBlk* distances) const
{
  // A matrix over fewer taxa than the system is only read where it exists.
  int n = std::min(ntax, distances->get_ntax());
  double D = 0.0;
  for (int i = 1; i <= n; i++)
    for (int j = i + 1; j <= n; j++)
      D += distances->get_matrix(i, j);
  // For each taxon, the splits whose stored side holds it, as bits; the
  // splits that separate i and j are then the set bits of one exclusive or,
  // visited in increasing order so that the sum is formed as always.
  const size_t words = (static_cast<size_t>(nsplits > 0 ? nsplits : 0) + 63) / 64;
  std::vector<uint64_t> holds(static_cast<size_t>(n + 1) * words, 0);
  for (int s = 1; s <= nsplits; s++)
    for (int i = 1; i <= n; i++)
      if (splits[s]->is_element(i))
        holds[static_cast<size_t>(i) * words + static_cast<size_t>(s - 1) / 64] |= uint64_t(1) << ((s - 1) % 64);
  double S = 0.0;
  for (int i = 1; i <= n; i++)
    for (int j = i + 1; j <= n; j++) {
      const uint64_t* hi = holds.data() + static_cast<size_t>(i) * words;
      const uint64_t* hj = holds.data() + static_cast<size_t>(j) * words;
      for (size_t w = 0; w < words; w++)
        for (uint64_t x = hi[w] ^ hj[w]; x != 0; x &= x - 1)
          S += weights[static_cast<int>(w * 64) + __builtin_ctzll(x) + 1];
    }
  if (D == 0.0)
    return 100.0;
  return 100.0 * S / D;
}

int tSplitsSystem::induce(const tSplitsSystem* orig_splits, const tSet* support)
{
  ntax = support->size();
  std::vector<int> map_back(1, 0);
  for (int t = 1; t <= orig_splits->ntax; t++)
    if (support->is_element(t))
      map_back.push_back(t);
  int n = static_cast<int>(map_back.size()) - 1;
  if (n != ntax)
    error("tSplitsSystem::induce(orig_splits,support): n!=ntax %d %d", n, ntax);

  for (int s = 1; s <= orig_splits->nsplits; s++) {
    const tSet* S = orig_splits->get_split(s);
    int k = 0;
    for (int i = 1; i <= ntax; i++)
      k += S->is_element(map_back[i]);
    if (k >= 1 && k < ntax)
      append_induced_split(support, map_back, S, orig_splits->get_weight(s));
  }
  return nsplits;
}

void tSplitsSystem::append_induced_split(const tSet* /*support*/, const std::vector<int>& map_back, const tSet* S,
                                         double w)
{
  tSet A(ntax);
  for (int i = 1; i <= ntax; i++)
    if (S->is_element(map_back[i]))
      A.insert(i);
  int last = append_split(&A, w);
  // Two original splits may coincide on the support: the first one stays.
  for (int j = 1; j < last; j++) {
    if (splits[last]->split_equal(splits[j].get())) {
      pop_split();
      return;
    }
  }
}
