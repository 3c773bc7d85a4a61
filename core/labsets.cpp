#include "core/labsets.h"

tLabSets::tLabSets() = default;

tLabSets::~tLabSets() { clear(); }

void tLabSets::clear()
{
  sets.clear();
  labels.clear();
}

int tLabSets::append(const char* name, const tSet* set)
{
  int i = labels.append(name);
  if (sets.size() < static_cast<size_t>(i) + 1)
    sets.resize(static_cast<size_t>(i) + 1);
  sets[i] = set ? std::make_unique<tSet>(*set) : std::make_unique<tSet>();
  return i;
}

tSet* tLabSets::n2set(int i)
{
  if (i < 1 || i > get_n() || static_cast<size_t>(i) >= sets.size())
    return nullptr;
  return sets[i].get();
}

const tSet* tLabSets::n2set(int i) const
{
  if (i < 1 || i > get_n() || static_cast<size_t>(i) >= sets.size())
    return nullptr;
  return sets[i].get();
}
