// Parsimony splits: split systems computed from the character matrix by the
// incremental scheme of split decomposition, with an index that counts sites.
// For a quartet t a2 | b1 b2 the score is the number of sites that group it
// that way minus the smaller (PSPLITS) or the larger (PTREE, splits_p_tree.h)
// number of sites that group it one of the other two ways.
//
// The entry points are tSplitsSystem::parsimony_splits and
// tSplitsSystem::parsimony_splits_tree (splits_sys.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class tSet;
class tCharactersBlk;
class tSplitsSystem;

// Sites that group the four taxa each of the three ways. Only active sites
// at which none of the four rows is missing (nor a gap, when gaps count as
// missing) are looked at; symbols are compared byte for byte.
struct tGroupings {
  int a1a2_b1b2 = 0;
  int a1b1_a2b2 = 0;
  int a1b2_a2b1 = 0;
};
tGroupings p_groupings(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters);

// PSPLITS: a1a2_b1b2 minus the smaller other count, 0 when not positive.
int p_score(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters);
// The smallest score of the quartets (t, a2 | b1, b2) of a candidate A over
// 1..t holding t (a2 in A, t included; b1 <= b2 in the complement), 0 as
// soon as one quartet scores 0.
int p_index(int gapmissingmode, int t, const tSet* A, const tCharactersBlk* characters);
// The index over the quartets with t under a quartet score: p_index and
// p_index_tree differ only in the score (and the name in their fatal error).
typedef int (*tPScore)(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters);
int p_index_with(tPScore score, const char* name, int gapmissingmode, int t, const tSet* A,
                 const tCharactersBlk* characters);

enum class tParsimonyRule { splits, tree };

// The sites of the characters reduced to what the scores need: per taxon
// 1..ntax one byte per active site, 0 where the site does not count for that
// taxon (missing, or gap when gaps count as missing).
struct tSiteRows {
  int ntax = 0;
  int nsites = 0;
  std::vector<std::vector<unsigned char>> rows;  // rows[t][s], s = 0..nsites-1

  static tSiteRows from_characters(int gapmissingmode, const tCharactersBlk* characters);
};

// Scores quartets through the newest taxon t from bit sets of the sites at
// which two taxa agree, and remembers at each level the counts of every
// quartet it has met: the candidates of one level share most of their
// quartets. Scores are exact counts, equal to those of p_score.
class tParsimonyScan {
public:
  tParsimonyScan(const tSiteRows& sites, tParsimonyRule rule);

  // The three counts of any quartet (a1 may equal a2, b1 may equal b2),
  // without remembering them.
  tGroupings groupings(int a1, int a2, int b1, int b2) const;

  // Starts level t: forgets the counts of the previous level.
  void start_level(int t);
  // The index of the candidate whose members are flagged in inA[1..t]
  // (inA[t] non-zero), as p_index / p_index_tree define it.
  int index(const unsigned char* inA);

private:
  tParsimonyRule rule;
  int ntax;
  size_t words;
  // same[pair(x, y)], x <= y: the sites where both count and agree; for
  // x == y the sites where x counts.
  std::vector<uint64_t> same;
  int t = 0;
  // Counts met at this level, -1 = not yet: per triple x < y < z < t the
  // three counts of t x | y z, t y | x z, t z | x y; per pair x < y < t the
  // two counts of t t | x y; per ordered pair (x, y), x, y < t, of t x | y y;
  // per x < t of t t | x x.
  std::vector<int32_t> triples, pairs_tt, pairs_xb, singles;
  bool remember_triples = false;
  std::vector<int> A, B;

  const uint64_t* bits(int x, int y) const;
  int and_count(int x1, int y1, int x2, int y2) const;
  int score(int a2, int b1, int b2);
  int excess(int own, int o1, int o2) const;
};

// Replaces the splits of `splits` (whose ntax is set, equal to sites.ntax)
// by the parsimony splits or tree, in the order of the incremental scheme.
void parsimony_incremental(tSplitsSystem* splits, const tSiteRows& sites, tParsimonyRule rule);
