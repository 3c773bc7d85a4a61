#include "splits/splits_p.h"

#include <algorithm>
#include <climits>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "splits/compute_splits.h"
#include "splits/splits_sys.h"

tGroupings p_groupings(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters)
{
  tGroupings n;
  const unsigned char* r[4] = {characters->get_row(a1), characters->get_row(a2), characters->get_row(b1),
                               characters->get_row(b2)};
  const unsigned char missing = static_cast<unsigned char>(characters->missing);
  const bool gap_is_missing = gapmissingmode == 1 && characters->gap != 0;
  const unsigned char gap = static_cast<unsigned char>(characters->gap);
  const int nchar = characters->get_nchar();
  for (int c = 1; c <= nchar; c++) {
    if (!characters->get_mask(c))
      continue;
    const unsigned char x1 = r[0][c], x2 = r[1][c], y1 = r[2][c], y2 = r[3][c];
    if (x1 == missing || x2 == missing || y1 == missing || y2 == missing)
      continue;
    if (gap_is_missing && (x1 == gap || x2 == gap || y1 == gap || y2 == gap))
      continue;
    if (x1 == x2 && y1 == y2)
      n.a1a2_b1b2++;
    if (x1 == y1 && x2 == y2)
      n.a1b1_a2b2++;
    if (x1 == y2 && x2 == y1)
      n.a1b2_a2b1++;
  }
  return n;
}

int p_score(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters)
{
  const tGroupings n = p_groupings(gapmissingmode, a1, a2, b1, b2, characters);
  const int m = imin(n.a1b1_a2b2, n.a1b2_a2b1);
  return n.a1a2_b1b2 > m ? n.a1a2_b1b2 - m : 0;
}

int p_index_with(tPScore score, const char* name, int gapmissingmode, int t, const tSet* A,
                 const tCharactersBlk* characters)
{
  if (!A->is_element(t))
    error("%s(): a1=%d not in A", name, t);
  // No fixed cap: with very many sites a score may exceed any constant.
  int value = INT_MAX;
  for (int a2 = 1; a2 <= t; a2++) {
    if (!A->is_element(a2))
      continue;
    for (int b1 = 1; b1 <= t; b1++) {
      if (A->is_element(b1))
        continue;
      for (int b2 = b1; b2 <= t; b2++) {
        if (A->is_element(b2))
          continue;
        const int s = score(gapmissingmode, t, a2, b1, b2, characters);
        if (s == 0)
          return 0;
        value = imin(value, s);
      }
    }
  }
  return value;
}

int p_index(int gapmissingmode, int t, const tSet* A, const tCharactersBlk* characters)
{
  return p_index_with(p_score, "p_index", gapmissingmode, t, A, characters);
}

tSiteRows tSiteRows::from_characters(int gapmissingmode, const tCharactersBlk* characters)
{
  tSiteRows out;
  out.ntax = characters->get_ntax();
  std::vector<int> sites;
  for (int c = 1; c <= characters->get_nchar(); c++)
    if (characters->get_mask(c))
      sites.push_back(c);
  out.nsites = static_cast<int>(sites.size());
  const unsigned char missing = static_cast<unsigned char>(characters->missing);
  const bool gap_is_missing = gapmissingmode == 1 && characters->gap != 0;
  const unsigned char gap = static_cast<unsigned char>(characters->gap);
  out.rows.assign(static_cast<size_t>(out.ntax) + 1, {});
  for (int t = 1; t <= out.ntax; t++) {
    const unsigned char* row = characters->get_row(t);
    std::vector<unsigned char>& r = out.rows[static_cast<size_t>(t)];
    r.resize(sites.size());
    for (size_t s = 0; s < sites.size(); s++) {
      const unsigned char x = row[sites[s]];
      r[s] = (x == missing || (gap_is_missing && x == gap)) ? 0 : x;
    }
  }
  return out;
}

namespace {

size_t pair_index(int x, int y)  // x <= y
{
  return static_cast<size_t>(y) * (static_cast<size_t>(y) + 1) / 2 + static_cast<size_t>(x);
}

size_t triple_index(int x, int y, int z)  // 1 <= x < y < z
{
  const size_t i = static_cast<size_t>(x) - 1, j = static_cast<size_t>(y) - 1, k = static_cast<size_t>(z) - 1;
  return k * (k - 1) * (k - 2) / 6 + j * (j - 1) / 2 + i;
}

// Above this many quartet triples a level scores without remembering: the
// table would hold 12 bytes per triple.
constexpr size_t MAX_REMEMBERED_TRIPLES = size_t(1) << 22;

__attribute__((target_clones("popcnt", "default")))
int and_popcount(const uint64_t* x, const uint64_t* y, size_t words)
{
  long long n = 0;
  for (size_t w = 0; w < words; w++)
    n += __builtin_popcountll(x[w] & y[w]);
  return static_cast<int>(n);
}

} // namespace

tParsimonyScan::tParsimonyScan(const tSiteRows& sites, tParsimonyRule rule)
  : rule(rule), ntax(sites.ntax), words((static_cast<size_t>(sites.nsites) + 63) / 64)
{
  same.assign(pair_index(0, ntax + 1) * words, 0);
  for (int y = 1; y <= ntax; y++) {
    const unsigned char* ry = sites.rows[static_cast<size_t>(y)].data();
    for (int x = 1; x <= y; x++) {
      const unsigned char* rx = sites.rows[static_cast<size_t>(x)].data();
      uint64_t* out = &same[pair_index(x, y) * words];
      for (int s = 0; s < sites.nsites; s++)
        if (rx[s] != 0 && rx[s] == ry[s])
          out[s / 64] |= uint64_t(1) << (s % 64);
    }
  }
}

const uint64_t* tParsimonyScan::bits(int x, int y) const
{
  return &same[(x <= y ? pair_index(x, y) : pair_index(y, x)) * words];
}

int tParsimonyScan::and_count(int x1, int y1, int x2, int y2) const
{
  return and_popcount(bits(x1, y1), bits(x2, y2), words);
}

tGroupings tParsimonyScan::groupings(int a1, int a2, int b1, int b2) const
{
  tGroupings n;
  n.a1a2_b1b2 = and_count(a1, a2, b1, b2);
  n.a1b1_a2b2 = and_count(a1, b1, a2, b2);
  n.a1b2_a2b1 = and_count(a1, b2, a2, b1);
  return n;
}

void tParsimonyScan::start_level(int level)
{
  t = level;
  const size_t below = static_cast<size_t>(t) - 1;
  const size_t ntriples = below >= 3 ? below * (below - 1) * (below - 2) / 6 : 0;
  remember_triples = ntriples <= MAX_REMEMBERED_TRIPLES;
  triples.assign(remember_triples ? 3 * ntriples : 0, -1);
  pairs_tt.assign(2 * pair_index(0, t), -1);
  pairs_xb.assign(2 * static_cast<size_t>(t) * static_cast<size_t>(t), -1);
  singles.assign(2 * static_cast<size_t>(t), -1);
}

int tParsimonyScan::excess(int own, int o1, int o2) const
{
  const int m = rule == tParsimonyRule::splits ? imin(o1, o2) : imax(o1, o2);
  return own > m ? own - m : 0;
}

// The score of t a2 | b1 b2 (b1 <= b2, a2 not among them; a2 may be t).
int tParsimonyScan::score(int a2, int b1, int b2)
{
  if (a2 == t) {
    int32_t* c = b1 == b2 ? &singles[2 * static_cast<size_t>(b1)] : &pairs_tt[2 * pair_index(b1, b2)];
    if (c[0] < 0) {
      c[0] = and_count(t, t, b1, b2);
      c[1] = and_count(t, b1, t, b2);
    }
    return excess(c[0], c[1], c[1]);
  }
  if (b1 == b2) {
    int32_t* c = &pairs_xb[2 * (static_cast<size_t>(a2) * static_cast<size_t>(t) + static_cast<size_t>(b1))];
    if (c[0] < 0) {
      c[0] = and_count(t, a2, b1, b1);
      c[1] = and_count(t, b1, a2, b1);
    }
    return excess(c[0], c[1], c[1]);
  }
  if (!remember_triples)
    return excess(and_count(t, a2, b1, b2), and_count(t, b1, a2, b2), and_count(t, b2, a2, b1));
  // The three groupings of {a2, b1, b2} with t share one entry.
  int x = a2, y = b1, z = b2;
  if (x > y)
    std::swap(x, y);
  if (y > z)
    std::swap(y, z);
  if (x > y)
    std::swap(x, y);
  int32_t* c = &triples[3 * triple_index(x, y, z)];
  if (c[0] < 0) {
    c[0] = and_count(t, x, y, z);
    c[1] = and_count(t, y, x, z);
    c[2] = and_count(t, z, x, y);
  }
  const int own = a2 == x ? 0 : a2 == y ? 1 : 2;
  return excess(c[own], c[(own + 1) % 3], c[(own + 2) % 3]);
}

int tParsimonyScan::index(const unsigned char* inA)
{
  A.clear();
  B.clear();
  for (int x = 1; x <= t; x++)
    (inA[x] ? A : B).push_back(x);
  int value = INT_MAX;
  for (int a2 : A)
    for (size_t i = 0; i < B.size(); i++)
      for (size_t k = i; k < B.size(); k++) {
        const int s = score(a2, B[i], B[k]);
        if (s == 0)
          return 0;
        value = imin(value, s);
      }
  return value;
}

void parsimony_incremental(tSplitsSystem* splits, const tSiteRows& sites, tParsimonyRule rule)
{
  const int ntax = splits->get_ntax();
  splits->set_n(0);
  splits->set_ntax(ntax);
  if (ntax < 2)
    return;
  if (sites.ntax < ntax)
    error("parsimony_incremental(): %d rows for %d taxa", sites.ntax, ntax);
  tParsimonyScan scan(sites, rule);

  // The kept splits of one level by their side with taxon 1: flags 1..t-1.
  struct tKept {
    std::vector<unsigned char> side;
    int weight;
  };
  std::vector<tKept> previous, current;
  std::vector<unsigned char> inA(static_cast<size_t>(ntax) + 1);
  auto index_of = [&]() {
    tcltk_update();
    return scan.index(inA.data());
  };
  for (int t = 2; t <= ntax; t++) {
    scan.start_level(t);
    current.clear();
    std::fill(inA.begin(), inA.end(), 0);
    inA[t] = 1;
    const int w_single = index_of();
    if (w_single > 0) {
      tKept k{std::vector<unsigned char>(static_cast<size_t>(t) + 1, 1), w_single};
      k.side[0] = 0;
      k.side[t] = 0;
      current.push_back(std::move(k));
    }
    for (const tKept& S : previous) {
      for (int x = 1; x < t; x++)
        inA[x] = S.side[x];
      int w = imin(index_of(), S.weight);
      if (w > 0) {
        tKept k{std::vector<unsigned char>(inA.begin(), inA.begin() + t + 1), w};
        current.push_back(std::move(k));
      }
      for (int x = 1; x < t; x++)
        inA[x] = !S.side[x];
      w = imin(index_of(), S.weight);
      if (w > 0) {
        tKept k{std::vector<unsigned char>(S.side.begin(), S.side.end()), w};
        k.side.push_back(0);
        current.push_back(std::move(k));
      }
    }
    previous.swap(current);
  }

  tSet A(ntax);
  for (const tKept& k : previous) {
    A.make_emptyset();
    for (int x = 1; x <= ntax; x++)
      if (k.side[x])
        A.insert(x);
    splits->append_split(&A, static_cast<double>(k.weight));
  }
}

int tSplitsSystem::parsimony_splits(tAssumptionsBlk* assumptions, tCharactersBlk* characters)
{
  const tSiteRows sites = tSiteRows::from_characters(determine_gapmissingmode(assumptions), characters);
  parsimony_incremental(this, sites, tParsimonyRule::splits);
  return 1;
}
