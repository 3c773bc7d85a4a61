#include "core/set_array.h"

#include "core/message.h"

tSetArray::tSetArray() { sets.push_back(std::make_unique<tSet>()); }

tSetArray::~tSetArray() = default;

void tSetArray::append(const tSet* S)
{
  if (num > max_size)
    error("tSetArray::append() num=%d max_size=%d", num, max_size);
  num++;
  if (num > max_size) {
    max_size = num;
    sets.resize(static_cast<size_t>(max_size) + 1);
  }
  if (!sets[num])
    sets[num] = std::make_unique<tSet>();
  if (S)
    sets[num]->copy_N(0, S);
  else
    sets[num]->resize(0);
}

void tSetArray::add(int i, int x)
{
  if (i < 1)
    error("tSetArray::add (i=%d): out of range", i);
  if (i > max_size) {
    max_size = i;
    sets.resize(static_cast<size_t>(max_size) + 1);
  }
  if (!sets[i])
    sets[i] = std::make_unique<tSet>(x);
  else if (i > num)
    // A set beyond num is left over from before a reset: start it afresh.
    sets[i]->make_emptyset();
  if (x > sets[i]->max_size())
    sets[i]->resize(x);
  sets[i]->insert(x);
  if (i > num) {
    for (int j = num + 1; j < i; j++) {
      if (!sets[j])
        sets[j] = std::make_unique<tSet>();
      sets[j]->make_emptyset();
    }
    num = i;
  }
}

tSet* tSetArray::operator[](int i)
{
  if (i >= 1 && i <= num && sets[i])
    return sets[i].get();
  // Entry 0 stands for every missing set; a caller may have changed it.
  sets[0]->resize(0);
  return sets[0].get();
}
