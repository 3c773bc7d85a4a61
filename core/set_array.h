// A growable 1-based list of sets.
#pragma once

#include <memory>
#include <vector>

#include "core/sets.h"

class tSetArray {
public:
  tSetArray();
  ~tSetArray();

  int num = 0;
  int max_size = 0;

  void reset() { num = 0; }
  void append(const tSet* S);
  void add(int i, int x);
  tSet* operator[](int i);

private:
  std::vector<std::unique_ptr<tSet>> sets; // 0..max_size; entry 0 is always an empty set
};
