// Quartets of taxa with a value, in lists that keep the smallest values
// (the refined split computation) or simply grow (the weight adjustment).
#pragma once

#include <memory>
#include <vector>

// One quartet ab|cd. Taxon numbers are plain ints: no limit on the taxa.
struct tQuart {
  int a = 0, b = 0, c = 0, d = 0;
  double value = 0.0;
};

// Entries 1..cur_len; filled by add() the list is sorted by ascending value
// and holds the max_len smallest values seen.
class tQuartets {
public:
  explicit tQuartets(long n);

  int get_max_len() const { return max_len; }
  int get_len() const { return cur_len; }

  void reset() { cur_len = 0; }
  // Takes over q's quartets; both lists must have the same bound.
  void copy(const tQuartets& q);
  // Inserts q in order; when the list is full the largest value falls off
  // (a new value equal to ones held goes after them).
  void add(const tQuart& q);
  // Whether add() would keep a quartet of this value.
  bool keeps(double value) const
  {
    return cur_len < max_len || (cur_len > 0 && data[static_cast<size_t>(cur_len)].value > value);
  }
  // Appends q unsorted, raising the bound by one when the list is full.
  void append_and_grow(const tQuart& q);
  // Sum of the first n values, or of all when n is not in 1..cur_len.
  double sum(int n) const;
  tQuart& operator[](int i);
  const tQuart& operator[](int i) const;

private:
  int max_len;
  int cur_len = 0;
  std::vector<tQuart> data;  // 0..max_len+1; slot max_len+1 takes the quartet being added

  [[noreturn]] void out_of_range(int i) const;
};

// An owning list of quartet lists, entries 1..num.
class tQuartetsArray {
public:
  int get_num() const { return static_cast<int>(lists.size()); }
  void clear() { lists.clear(); }
  // Appends a copy of q.
  void append(const tQuartets& q) { lists.push_back(std::make_unique<tQuartets>(q)); }
  tQuartets& operator[](int n);

private:
  std::vector<std::unique_ptr<tQuartets>> lists;
};
