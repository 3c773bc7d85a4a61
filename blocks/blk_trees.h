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
  };

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);

  int get_ntrees() const { return static_cast<int>(trees.size()); }
  // Tree n, 1..get_ntrees().
  const tTree& get_tree(int n) const;

private:
  int _valid = 0;
  std::vector<tTree> trees;

  int read_translate(tNexusInput* in, tTaxaBlk* taxa, struct tLookup* lookup);
  int read_tree(tNexusInput* in, tTaxaBlk* taxa, struct tLookup* lookup, int number, int* refused);
};
