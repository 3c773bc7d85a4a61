// Circular ordering of the taxa. The splits are grouped into components of
// mutually incompatible splits; each component is reduced to classes of taxa
// that none of its splits separates, a cycle of the classes is read off the
// 2-element intersections of split sides, and the components' cycles are
// merged into one.
#include "splits/compute_cycle.h"

#include <algorithm>

#include "core/message.h"
#include "core/parallel.h"
#include "splits/packed_splits.h"

int tSplitsSystem::compute_cyclic_configuration()
{
  message("Computing configuration... ");
  cycle.assign(static_cast<size_t>(ntax) + 1, 0);
  if (nsplits == 0) {
    for (int i = 1; i <= ntax; i++)
      cycle[i] = i;
    is_cyclic = 1;
    return 1;
  }

  std::vector<std::vector<int>> comps;
  int ncomps = incompatibility_components(comps);

  // A split without positive weight is a component of its own even where it
  // crosses other splits; merging it would force it to be an arc and could
  // break the arcs of the splits that count. It shapes the cycle only when
  // no split has positive weight.
  bool any_positive = false;
  for (int s = 1; s <= nsplits; s++)
    any_positive = any_positive || weights[s] > 0.0;

  is_cyclic = 1;
  bool started = false;
  for (int k = 0; k < ncomps; k++) {
    std::vector<int> comp_cycle, comp_classes;
    if (!do_compute_cycle(comps[k], comp_cycle, comp_classes))
      is_cyclic = 0;
    bool positive = false;
    for (int i = 1; i <= comps[k][0]; i++)
      positive = positive || weights[comps[k][i]] > 0.0;
    if (any_positive && !positive)
      continue;
    if (!started) {
      started = true;
      cycle = comp_cycle;
    } else {
      std::vector<int> merged;
      merge_cycles(comp_cycle, comp_classes, cycle, merged);
      cycle.swap(merged);
    }
  }
  lexicographically_order(ntax, cycle.data());
  // Every taxon having two neighbours does not yet make the splits arcs of
  // the cycle that was read off; only then is the system circular.
  for (int s = 1; s <= nsplits && is_cyclic; s++)
    if (weights[s] > 0.0 && !is_arc(s))
      is_cyclic = 0;
  message(is_cyclic ? "cyclic\n" : "non-cyclic\n");
  return is_cyclic;
}

bool tSplitsSystem::is_arc(int s) const
{
  const tSet* S = get_split(s);
  int changes = 0;
  for (int i = 1; i <= ntax; i++)
    changes += S->is_element(cycle[i]) != S->is_element(cycle[i == ntax ? 1 : i + 1]);
  return changes <= 2;
}

int tSplitsSystem::incompatibility_components(std::vector<std::vector<int>>& comps) const
{
  if (!comps.empty())
    error("incompatibility_components(comps=%ld): non zero argument", static_cast<long>(comps.size()));
  // label[i] is the smallest split of i's group: joining keeps the smaller label.
  std::vector<int> label(static_cast<size_t>(nsplits) + 1);
  for (int i = 1; i <= nsplits; i++)
    label[i] = i;
  const tPackedSplits packed(*this);
  // The pairs are tested on every lane, a block of rows at a time (so that
  // the crossings found are few to hold), then joined in order; the groups
  // do not depend on that order. Pairs already in one group are not tested.
  constexpr int BLOCK = 64;
  std::vector<std::vector<int>> crossing(BLOCK);
  const size_t pairs = static_cast<size_t>(nsplits) * static_cast<size_t>(nsplits) / 2;
  tWorkCrew crew(pairs >= 100000 ? computation_threads() : 1);
  for (int first = 1; first <= nsplits; first += BLOCK) {
    const int rows = std::min(BLOCK, nsplits - first + 1);
    auto test_row = [&](size_t r, int) {
      const int i = first + static_cast<int>(r);
      std::vector<int>& found = crossing[r];
      found.clear();
      if (!(weights[i] > 0.0))
        return;
      for (int j = i + 1; j <= nsplits; j++)
        if (weights[j] > 0.0 && label[i] != label[j] && !packed.compatible(i, j))
          found.push_back(j);
    };
    if (crew.lanes() > 1)
      crew.run(static_cast<size_t>(rows), 1, test_row, [] {});
    else
      for (int r = 0; r < rows; r++)
        test_row(static_cast<size_t>(r), 0);
    for (int r = 0; r < rows; r++) {
      const int i = first + r;
      for (int j : crossing[static_cast<size_t>(r)]) {
        if (label[i] == label[j])
          continue;
        int lo = std::min(label[i], label[j]), hi = std::max(label[i], label[j]);
        for (int k = 1; k <= nsplits; k++)
          if (label[k] == hi)
            label[k] = lo;
      }
    }
  }
  for (int i = 1; i <= nsplits; i++) {
    if (label[i] != i)
      continue;
    std::vector<int> comp(1, 0);
    for (int k = i; k <= nsplits; k++)
      if (label[k] == i)
        comp.push_back(k);
    comp[0] = static_cast<int>(comp.size()) - 1;
    comps.push_back(std::move(comp));
  }
  return static_cast<int>(comps.size());
}

int tSplitsSystem::determine_split_equiv_taxa(const std::vector<int>& comp, std::vector<int>& tax2class,
                                              tSet* support) const
{
  tax2class.assign(static_cast<size_t>(ntax) + 1, 0);
  support->resize(ntax);
  support->make_emptyset();
  int nclasses = 0;
  tSet S;
  for (int t = 1; t <= ntax; t++) {
    if (tax2class[t])
      continue;
    nclasses++;
    const tSet* first = get_split(comp[1]);
    S.copy_N(first->is_element(t) ? 0 : 1, first);
    for (int i = 2; i <= comp[0] && S.size() > 1; i++) {
      const tSet* X = get_split(comp[i]);
      S.intersect_with(X->is_element(t) ? 0 : 1, X);
    }
    for (int x = S.first_element(0); x; x = S.next_element(0, x))
      tax2class[x] = nclasses;
    support->insert(S.first_element(0));
  }
  if (support->size() != nclasses)
    error("determine_split_equiv_taxa() n!=nclasses %d %d", support->size(), nclasses);
  return 1;
}

int tSplitsSystem::induce_comp(const tSplitsSystem* orig_splits, const std::vector<int>& comp,
                               const std::vector<int>& tax2class)
{
  int nclasses = 0;
  for (int t = 1; t <= orig_splits->ntax; t++)
    nclasses = std::max(nclasses, tax2class[t]);
  ntax = nclasses;
  tSet A;
  for (int i = 1; i <= comp[0]; i++) {
    const tSet* S = orig_splits->get_split(comp[i]);
    A.resize(ntax);
    A.make_emptyset();
    for (int t = 1; t <= orig_splits->ntax; t++)
      if (S->is_element(t))
        A.insert(tax2class[t]);
    int k = A.size();
    if (k < 1 || k > ntax - 1)
      continue;
    if (!A.is_element(1))
      A.make_complement();
    bool present = false;
    for (int j = 1; j <= nsplits && !present; j++)
      present = splits[j]->equal(&A);
    if (!present)
      append_split(&A, orig_splits->get_weight(comp[i]));
  }
  return nsplits;
}

int tSplitsSystem::do_compute_cycle(const std::vector<int>& comp, std::vector<int>& theCycle,
                                    std::vector<int>& taxa2class) const
{
  std::vector<int> tax2class;
  tSet support;
  determine_split_equiv_taxa(comp, tax2class, &support);

  tSplitsSystem reduced;
  reduced.minimal_rest = minimal_rest;
  reduced.induce_comp(this, comp, tax2class);
  std::vector<int> class_cycle;
  int result = reduced.compute_cycle(class_cycle);

  theCycle.assign(1, 0);
  taxa2class.assign(1, 0);
  for (int i = 1; i <= reduced.ntax; i++) {
    int c = class_cycle[i];
    for (int t = 1; t <= ntax; t++) {
      if (tax2class[t] == c) {
        theCycle.push_back(t);
        taxa2class.push_back(c);
      }
    }
  }
  int count = static_cast<int>(theCycle.size()) - 1;
  if (count != ntax)
    error("do_compute_cycle(): count!=ntax %d %d", count, ntax);
  return result;
}

// Counts the pair {a, b}; a taxon with two distinct neighbours is saturated.
static void record_pair(int a, int b, tSet* used_taxa, std::vector<std::vector<int>>& adjacent)
{
  if (++adjacent[a][b] == 1 && ++adjacent[a][0] == 2)
    used_taxa->insert(a);
  if (++adjacent[b][a] == 1 && ++adjacent[b][0] == 2)
    used_taxa->insert(b);
}

static void record_pair(const tSet* T, tSet* used_taxa, std::vector<std::vector<int>>& adjacent)
{
  int a = T->first_element(0);
  int b = T->next_element(0, a);
  record_pair(a, b, used_taxa, adjacent);
}

// Number of taxa of T that are not yet saturated.
static int unsaturated(const tSet* T, const tSet* used_taxa) { return T->size() - T->intersection_size(0, used_taxa); }

int tSplitsSystem::compute_cycle(std::vector<int>& theCycle) const
{
  int n = ntax;
  theCycle.assign(static_cast<size_t>(n) + 1, 0);
  if (nsplits == 1 || n <= 3) {
    for (int i = 1; i <= n; i++)
      theCycle[i] = i;
    return 1;
  }

  std::vector<std::vector<int>> adjacent(static_cast<size_t>(n) + 1, std::vector<int>(static_cast<size_t>(n) + 1, 0));
  tSet used_taxa(n), used_splits(nsplits), S(n);
  for (int s = 1; s <= nsplits; s++) {
    for (int side = 0; side <= 1; side++) {
      S.copy_N(side, splits[s].get());
      if (S.size() == 2) {
        record_pair(&S, &used_taxa, adjacent);
      } else if (unsaturated(&S, &used_taxa) >= minimal_rest) {
        used_splits.insert(s);
        compute_adjacent_pairs(&used_splits, &used_taxa, &S, adjacent);
        used_splits.remove(s);
      }
    }
  }
  return extract_cycle(theCycle, n, adjacent);
}

void tSplitsSystem::compute_adjacent_pairs(tSet* used_splits, tSet* used_taxa, const tSet* A,
                                           std::vector<std::vector<int>>& adjacent) const
{
  // The search can run long: keep the front end alive.
  tcltk_update();
  int sizeA = A->size();
  tSet T;
  for (int s = 1; s <= nsplits; s++) {
    if (used_splits->is_element(s))
      continue;
    for (int side = 0; side <= 1; side++) {
      const tSet* X = splits[s].get();
      if (A->union_size(side, X) == ntax)
        continue;
      T.make_intersection(0, A, side, X);
      int sizeT = T.size();
      if (sizeT == 2) {
        record_pair(&T, used_taxa, adjacent);
      } else if (sizeT < sizeA && unsaturated(&T, used_taxa) >= minimal_rest) {
        used_splits->insert(s);
        compute_adjacent_pairs(used_splits, used_taxa, &T, adjacent);
        used_splits->remove(s);
      }
    }
  }
}

int tSplitsSystem::extract_cycle(std::vector<int>& theCycle, int n, const std::vector<std::vector<int>>& adjacent) const
{
  theCycle.assign(static_cast<size_t>(n) + 1, 0);
  std::vector<char> visited(static_cast<size_t>(n) + 1, 0);
  int result = 1, pos = 0;
  for (int t = 1; t <= n; t++) {
    if (visited[t])
      continue;
    int cur = t;
    while (cur) {
      theCycle[++pos] = cur;
      visited[cur] = 1;
      if (adjacent[cur][0] != 2)
        result = 0;
      int next = 0;
      for (int j = 1; j <= n; j++) {
        if (adjacent[cur][j] > 0 && !visited[j]) {
          next = j;
          if (adjacent[j][0] == 2)
            break;
        }
      }
      cur = next;
    }
  }
  return result;
}

void tSplitsSystem::merge_cycles(const std::vector<int>& z1, const std::vector<int>& z1_classes,
                                 const std::vector<int>& z2, std::vector<int>& theCycle) const
{
  int n = ntax;
  auto next = [n](int p) { return p == n ? 1 : p + 1; };
  auto before = [n](int p) { return p == 1 ? n : p - 1; };

  int p0 = 0;
  for (int p = 1; p <= n && !p0; p++)
    if (z1_classes[p] != z1_classes[before(p)])
      p0 = p;
  if (!p0)
    error("merge_cycles(): all taxa are equivalent (A)");

  theCycle.assign(1, 0);
  tSet R(n);
  int pos = p0;
  do {
    R.make_emptyset();
    int q = pos, len = 0;
    while (z1_classes[q] == z1_classes[pos]) {
      R.insert(z1[q]);
      q = next(q);
      if (++len == n)
        error("merge_cycles(): all taxa are equivalent (B)");
    }
    int r = 0;
    for (int p = 1; p <= n && !r; p++)
      if (z2[p] == z1[q])
        r = p;
    if (!r)
      error("merge_cycles(): no pos");
    for (int i = 0, p = r; i < n; i++, p = next(p))
      if (R.is_element(z2[p]))
        theCycle.push_back(z2[p]);
    pos = q;
  } while (pos != p0);

  int count = static_cast<int>(theCycle.size()) - 1;
  if (count != n)
    error("merge_cycles(): count!=ntax %d %d", count, n);
}
