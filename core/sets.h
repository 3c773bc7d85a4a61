// Subsets of 1..top, one byte per possible element, and their text form.
#pragma once

#include <vector>

class tNexusInput;
class tNexusOutput;

class tSet {
public:
  tSet() = default;
  explicit tSet(int n);

  void resize(int n);
  void insert(int x);
  void remove(int x);
  bool is_element(int x) const { return x >= 1 && x <= top && elements[x] != 0; }
  int singleton(int x);
  void set(int n, const char* list);
  void make_emptyset();
  void make_fullset(int n);
  void make_complement();
  int make_union(int flagA, const tSet* A, int flagB, const tSet* B);
  int make_intersection(int flagA, const tSet* A, int flagB, const tSet* B);
  int copy(int flag, const tSet* A);
  void copy_N(int flag, const tSet* A);
  bool equal(const tSet* A) const;
  bool is_complement(const tSet* A) const;
  int max_size() const { return top; }
  int size() const;
  int get_element(int k) const;
  int first_element(int flag) const;
  int next_element(int flag, int x) const;
  int intersection_size(int flag, const tSet* A) const;
  int union_size(int flag, const tSet* A) const;
  int intersect_with(int flag, const tSet* A);
  int union_with(int flag, const tSet* A);
  int split_size() const;
  bool split_equal(const tSet* A) const;
  int binary2set(int ntax, int n);
  int set2binary() const;
  void make_setminus_N(const tSet* A, const tSet* B);
  void make_union_N(const tSet* A, const tSet* B);
  void make_intersection_N(const tSet* A, const tSet* B);
  void make_xor_N(const tSet* A, const tSet* B);
  bool is_subset_N(int flag, const tSet* A) const;

  unsigned int bytes() const { return static_cast<unsigned int>(elements.size()); }

private:
  int top = 0;
  std::vector<unsigned char> elements; // 0..top; empty when there is no storage
};

// Writes the members as runs: " 1-3 5 7 8".
void print_set(tNexusOutput* out, const tSet* S);
// Reads a set over 1..max from the current token on; see the .cpp for the grammar.
bool read_set(tNexusInput* in, tSet* S, int max, const char* stop);
