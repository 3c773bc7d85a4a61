// TREES block: trees over the taxa, kept as their structure (not their text)
// so that many thousands of trees fit in memory; the consensus and single-
// tree methods of the QV_SPLITS block read them.
//
//   command                                  effect
//   TRANSLATE key label, ... ;               keys (numbers or words) for taxa
//   {TREE|UTREE} [*] name = [&R|&U] newick;  one tree; leaves are keys,
//                                            taxon labels or taxon numbers
//
// Without a TAXA block before it the block defines the taxa: the TRANSLATE
// labels in order or, without one, the leaves of the first tree. A tree that
// names an unknown taxon or names one twice is refused (the log says which
// and why); the others are kept. A second TREES block adds its trees.
#pragma once

#include <string>
#include <vector>

#include "blocks/newick.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;

class tTreesBlk {
public:
  struct tTree {
    std::string name;
    bool utree = false; // written as UTREE
    tNewickTree tree;   // taxon numbers of the TAXA block's full list
    // Its block is kept in its own words (a tree of it was refused): a
    // whole-document save writes that text instead.
    bool verbatim = false;
  };

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  // With `skip_verbatim` the trees whose block is kept in its own words are
  // left out (and with them, perhaps, the whole block).
  int print(tNexusOutput* out, const tTaxaBlk* taxa, bool skip_verbatim = false) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);
  // The last read refused a tree or stopped at an error.
  bool last_read_incomplete() const { return last_incomplete; }
  // The trees of the last read belong to a block kept in its own words.
  void mark_last_read_verbatim();

  int get_ntrees() const { return static_cast<int>(trees.size()); }
  // Tree n, 1..get_ntrees().
  const tTree& get_tree(int n) const;

private:
  int _valid = 0;
  std::vector<tTree> trees;
  size_t last_first = 0;
  bool last_incomplete = false;

  int read_translate(tNexusInput* in, tTaxaBlk* taxa, struct tLookup* lookup);
  int read_tree(tNexusInput* in, tTaxaBlk* taxa, struct tLookup* lookup, int number, int* refused);
};
