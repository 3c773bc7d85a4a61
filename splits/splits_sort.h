// Counts of splits, kept in a binary trie over the taxa: at depth i
// (1..ntax) a split goes left when it holds taxon i and right otherwise, and
// the node reached below depth ntax holds its count. Equal sets share one
// path, so a split is found in ntax steps whatever the number of splits.
//
// Every operation takes the depth i it starts at (1 from the outside) and the
// split as a set over 1..ntax.
#pragma once

#include <memory>

class tSet;
class tNexusOutput;

class tSplitsSort {
public:
  tSplitsSort() = default;
  ~tSplitsSort();
  tSplitsSort(const tSplitsSort&) = delete;
  tSplitsSort& operator=(const tSplitsSort&) = delete;

  std::unique_ptr<tSplitsSort> left;   // splits holding taxon i
  std::unique_ptr<tSplitsSort> right;  // splits without taxon i
  int value = 0;                       // the count, at a leaf

  // Adds 1 to the split's count, creating its path.
  void add_count(int i, int ntax, const tSet* split);
  // Sets the split's count, creating its path.
  void set_count(int value, int i, int ntax, const tSet* split);
  // The split's count; 0 when it was never added.
  int get_count(int i, int ntax, const tSet* split) const;
  // Removes the split's leaf and the branches left empty; 1 when the split
  // was there.
  int del_count(int i, int ntax, const tSet* split);
  // Removes every split.
  void clear();
  // Writes every split in depth-first order (splits holding a taxon before
  // those without it), one row each: "\t[%2d] " with ++*counter, or blanks
  // when counter is null; the support "%5g " (count * 10000 / runs, integer
  // division, in percent); the split; ",\n". `set` is scratch over 1..ntax,
  // empty on entry.
  void print_count(tNexusOutput* out, int* counter, int runs, int i, int ntax, tSet* set) const;

private:
  tSplitsSort* leaf(int i, int ntax, const tSet* split);
  bool empty() const { return !left && !right; }
};
