// Counting the splits of many trees, and the consensus of those that occur
// in more than a given fraction of them (0.5 gives the majority-rule tree,
// lower fractions a network of the conflicting splits).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The splits of one tree over taxa 1..ntax, one per edge, as rows of `words`
// 64-bit words (taxon t at bit t-1); either side may be given. A length is
// NaN where the tree gives none.
struct tTreeSplits {
  int words = 0;
  std::vector<uint64_t> bits; // split k at k * words
  std::vector<double> lengths;
  // How many of the taxa 1..ntax the tree holds.
  int taxa_seen = 0;
  int size() const { return static_cast<int>(lengths.size()); }
  void clear(int w)
  {
    words = w;
    bits.clear();
    lengths.clear();
    taxa_seen = 0;
  }
};

enum class tConsensusWeight { frequency, mean, median };

struct tConsensusSplit {
  std::vector<uint64_t> bits; // the side that holds taxon 1
  int count = 0;              // trees that have it
  double weight = 0.0;
};

class tSplitCounter {
public:
  // With `keep_lengths` every length is kept, as the median needs.
  tSplitCounter(int ntax, bool keep_lengths);

  // Counts the splits of one more tree. A split the tree has twice (the two
  // edges at a root of degree two) counts once with the lengths summed;
  // splits with an empty side are passed over. A missing length counts as 1,
  // as in a tree written without lengths.
  void add_tree(const tTreeSplits& tree);
  int trees() const { return ntrees; }
  int distinct() const { return static_cast<int>(count.size()); }

  // The splits found in more than `threshold` of the trees, most frequent
  // first and, among equals, in the order they were first met. The weight
  // is the fraction of trees, or the mean or median length where found.
  std::vector<tConsensusSplit> consensus(double threshold, tConsensusWeight weight) const;

private:
  int words;
  uint64_t last_mask;
  bool keep_lengths;
  int ntrees = 0;
  std::vector<uint64_t> keys;              // split i at i * words
  std::vector<int> count;
  std::vector<double> sum;
  std::vector<int> last_tree;              // the tree that counted it last
  std::vector<std::vector<double>> lengths; // per split, with keep_lengths
  std::vector<int> table;                   // open addressing; -1 empty
  std::vector<uint64_t> scratch;

  uint64_t hash(const uint64_t* key) const;
  int find_or_add(const uint64_t* key);
  void grow();
};

class tSplitsSystem;
class tTaxaBlk;
class tTreesBlk;

// The consensus of the TREES block's trees over the active taxa, into `out`
// (whose ntax is set): the splits of more than `threshold` of the trees that
// hold every active taxon, weighted as `weight` says ("FREQUENCY", "MEAN" or
// "MEDIAN"). Returns 0 with *why set when there is nothing to count or the
// result could not be drawn.
int consensus_splits(tSplitsSystem* out, const tTreesBlk* trees, const tTaxaBlk* taxa, double threshold,
                     const char* weight, std::string* why);
// The splits of tree n alone, weighted by their lengths (1 where none).
int single_tree_splits(tSplitsSystem* out, const tTreesBlk* trees, const tTaxaBlk* taxa, int n, std::string* why);
