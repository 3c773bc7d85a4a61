#include "splits/consensus.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "blocks/blk_taxa.h"
#include "blocks/blk_trees.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "splits/splits_sys.h"

tSplitCounter::tSplitCounter(int ntax, bool keep_lengths)
    : words((ntax + 63) / 64), keep_lengths(keep_lengths)
{
  const int rest = ntax % 64;
  last_mask = rest == 0 ? ~uint64_t(0) : (uint64_t(1) << rest) - 1;
  table.assign(1024, -1);
  scratch.resize(static_cast<size_t>(words));
}

uint64_t tSplitCounter::hash(const uint64_t* key) const
{
  uint64_t h = 0x9e3779b97f4a7c15ull;
  for (int w = 0; w < words; w++) {
    h ^= key[w];
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
  }
  return h;
}

void tSplitCounter::grow()
{
  table.assign(table.size() * 2, -1);
  const size_t mask = table.size() - 1;
  for (int i = 0; i < distinct(); i++) {
    size_t slot = hash(&keys[static_cast<size_t>(i) * words]) & mask;
    while (table[slot] >= 0)
      slot = (slot + 1) & mask;
    table[slot] = i;
  }
}

int tSplitCounter::find_or_add(const uint64_t* key)
{
  const size_t mask = table.size() - 1;
  size_t slot = hash(key) & mask;
  const size_t bytes = static_cast<size_t>(words) * sizeof(uint64_t);
  for (; table[slot] >= 0; slot = (slot + 1) & mask)
    if (!std::memcmp(&keys[static_cast<size_t>(table[slot]) * words], key, bytes))
      return table[slot];
  const int id = distinct();
  table[slot] = id;
  keys.insert(keys.end(), key, key + words);
  count.push_back(0);
  sum.push_back(0.0);
  last_tree.push_back(-1);
  if (keep_lengths)
    lengths.emplace_back();
  // Kept at most half full, so that probes stay short.
  if (2 * static_cast<size_t>(distinct()) > table.size())
    grow();
  return id;
}

void tSplitCounter::add_tree(const tTreeSplits& tree)
{
  const int tree_id = ntrees++;
  if (words == 0)
    return;
  for (int k = 0; k < tree.size(); k++) {
    const uint64_t* row = &tree.bits[static_cast<size_t>(k) * tree.words];
    // The side that holds taxon 1, within 1..ntax.
    const bool flip = !(row[0] & 1);
    bool empty = true, full = true;
    for (int w = 0; w < words; w++) {
      const uint64_t valid = w + 1 == words ? last_mask : ~uint64_t(0);
      const uint64_t v = (w < tree.words ? row[w] : 0);
      scratch[w] = (flip ? ~v : v) & valid;
      empty = empty && scratch[w] == 0;
      full = full && scratch[w] == valid;
    }
    if (empty || full)
      continue;
    const double len = std::isnan(tree.lengths[k]) ? 1.0 : tree.lengths[k];
    const int id = find_or_add(scratch.data());
    if (last_tree[id] == tree_id) {
      sum[id] += len;
      if (keep_lengths)
        lengths[id].back() += len;
      continue;
    }
    last_tree[id] = tree_id;
    count[id]++;
    sum[id] += len;
    if (keep_lengths)
      lengths[id].push_back(len);
  }
}

std::vector<tConsensusSplit> tSplitCounter::consensus(double threshold, tConsensusWeight weight) const
{
  std::vector<int> kept;
  for (int i = 0; i < distinct(); i++)
    if (ntrees > 0 && static_cast<double>(count[i]) / ntrees > threshold)
      kept.push_back(i);
  std::stable_sort(kept.begin(), kept.end(), [&](int a, int b) { return count[a] > count[b]; });
  std::vector<tConsensusSplit> result;
  result.reserve(kept.size());
  for (int i : kept) {
    tConsensusSplit s;
    s.bits.assign(keys.begin() + static_cast<long>(i) * words, keys.begin() + static_cast<long>(i + 1) * words);
    s.count = count[i];
    switch (weight) {
    case tConsensusWeight::frequency:
      s.weight = static_cast<double>(count[i]) / ntrees;
      break;
    case tConsensusWeight::mean:
      s.weight = sum[i] / count[i];
      break;
    case tConsensusWeight::median: {
      std::vector<double> v = keep_lengths ? lengths[i] : std::vector<double>(1, sum[i] / count[i]);
      std::sort(v.begin(), v.end());
      const size_t m = v.size() / 2;
      s.weight = v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
      break;
    }
    }
    result.push_back(std::move(s));
  }
  return result;
}

namespace {

// Active taxon of each taxon of the full list (0: not active).
std::vector<int> active_of(const tTaxaBlk* taxa)
{
  std::vector<int> map(static_cast<size_t>(taxa->get_ntax_orig()) + 1, 0);
  for (int t = 1; t <= taxa->get_ntax(); t++) {
    const int o = taxa->get_tax2orig(t);
    if (o >= 1 && o < static_cast<int>(map.size()))
      map[static_cast<size_t>(o)] = t;
  }
  return map;
}

void append_splits(tSplitsSystem* out, const std::vector<tConsensusSplit>& kept, int ntax)
{
  tSet side(ntax);
  for (const tConsensusSplit& s : kept) {
    side.make_emptyset();
    for (int t = 1; t <= ntax; t++)
      if ((s.bits[static_cast<size_t>(t - 1) / 64] >> ((t - 1) % 64)) & 1)
        side.insert(t);
    out->append_split(&side, s.weight);
  }
}

} // namespace

int consensus_splits(tSplitsSystem* out, const tTreesBlk* trees, const tTaxaBlk* taxa, double threshold,
                     const char* weight, std::string* why)
{
  const int ntax = taxa->get_ntax();
  out->clear();
  out->set_ntax(ntax);
  const tConsensusWeight w = same_token(weight, "MEAN")     ? tConsensusWeight::mean
                             : same_token(weight, "MEDIAN") ? tConsensusWeight::median
                                                            : tConsensusWeight::frequency;
  tSplitCounter counter(ntax, w == tConsensusWeight::median);
  const std::vector<int> map = active_of(taxa);
  tTreeSplits splits;
  std::vector<uint64_t> scratch;
  int partial = 0;
  for (int n = 1; n <= trees->get_ntrees(); n++) {
    newick_splits(trees->get_tree(n).tree, map, ntax, &splits, &scratch);
    if (splits.taxa_seen < ntax) {
      partial++;
      continue;
    }
    counter.add_tree(splits);
  }
  if (partial > 0)
    message(" (%d trees without all %d taxa left out)", partial, ntax);
  if (counter.trees() == 0) {
    *why = string_printf("no tree holds all %d taxa", ntax);
    return 0;
  }
  const std::vector<tConsensusSplit> kept = counter.consensus(threshold, w);
  message(" %d trees, %d distinct splits, %d over %G:", counter.trees(), counter.distinct(),
          static_cast<int>(kept.size()), threshold);
  append_splits(out, kept, ntax);
  return 1;
}

int single_tree_splits(tSplitsSystem* out, const tTreesBlk* trees, const tTaxaBlk* taxa, int n, std::string* why)
{
  const int ntax = taxa->get_ntax();
  out->clear();
  out->set_ntax(ntax);
  if (n < 1 || n > trees->get_ntrees()) {
    *why = string_printf("no tree %d: the TREES block has %d", n, trees->get_ntrees());
    return 0;
  }
  const tTreesBlk::tTree& entry = trees->get_tree(n);
  tTreeSplits splits;
  std::vector<uint64_t> scratch;
  newick_splits(entry.tree, active_of(taxa), ntax, &splits, &scratch);
  if (splits.taxa_seen < ntax) {
    *why = string_printf("tree %s holds %d of the %d taxa", entry.name.c_str(), splits.taxa_seen, ntax);
    return 0;
  }
  tSplitCounter counter(ntax, false);
  counter.add_tree(splits);
  message(" tree %d (%s):", n, entry.name.c_str());
  append_splits(out, counter.consensus(0.0, tConsensusWeight::mean), ntax);
  return 1;
}
