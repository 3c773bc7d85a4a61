// Named sets (TAXSET and CHARSET definitions).
#pragma once

#include <memory>
#include <vector>

#include "core/labels.h"
#include "core/sets.h"

class tLabSets {
public:
  tLabSets();
  ~tLabSets();

  void clear();
  int get_n() const { return labels.get_n(); }
  int append(const char* name, const tSet* set);
  tSet* n2set(int i);
  const tSet* n2set(int i) const;
  const char* n2label(int i) const { return labels.get(i); }

  tLabels labels;

private:
  std::vector<std::unique_ptr<tSet>> sets; // 1..n, slot 0 unused
};
