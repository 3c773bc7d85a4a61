#include "splits/splits_sort.h"

#include <vector>

#include "core/sets.h"
#include "nexus/nexus.h"

tSplitsSort::~tSplitsSort() { clear(); }

// Walks (and builds) the path of the split from depth i on.
tSplitsSort* tSplitsSort::leaf(int i, int ntax, const tSet* split)
{
  tSplitsSort* node = this;
  for (; i <= ntax; i++) {
    std::unique_ptr<tSplitsSort>& next = split->is_element(i) ? node->left : node->right;
    if (!next)
      next = std::make_unique<tSplitsSort>();
    node = next.get();
  }
  return node;
}

void tSplitsSort::add_count(int i, int ntax, const tSet* split) { leaf(i, ntax, split)->value++; }

void tSplitsSort::set_count(int v, int i, int ntax, const tSet* split) { leaf(i, ntax, split)->value = v; }

int tSplitsSort::get_count(int i, int ntax, const tSet* split) const
{
  const tSplitsSort* node = this;
  for (; i <= ntax && node; i++)
    node = split->is_element(i) ? node->left.get() : node->right.get();
  return node ? node->value : 0;
}

int tSplitsSort::del_count(int i, int ntax, const tSet* split)
{
  if (i > ntax)
    return 1;
  std::unique_ptr<tSplitsSort>& next = split->is_element(i) ? left : right;
  if (!next || !next->del_count(i + 1, ntax, split))
    return 0;
  // The leaf goes, and with it every node that no longer leads to a split.
  if (i == ntax || next->empty())
    next.reset();
  return 1;
}

void tSplitsSort::clear()
{
  // Dismantled without recursion: a path is as deep as there are taxa.
  std::vector<std::unique_ptr<tSplitsSort>> pending;
  if (left)
    pending.push_back(std::move(left));
  if (right)
    pending.push_back(std::move(right));
  while (!pending.empty()) {
    std::unique_ptr<tSplitsSort> node = std::move(pending.back());
    pending.pop_back();
    if (node->left)
      pending.push_back(std::move(node->left));
    if (node->right)
      pending.push_back(std::move(node->right));
  }
  value = 0;
}

void tSplitsSort::print_count(tNexusOutput* out, int* counter, int runs, int i, int ntax, tSet* set) const
{
  if (i > ntax) {
    if (counter)
      out->Print("\t[%2d] ", ++*counter);
    else
      out->Print("\t      ");
    const long long percent = runs > 0 ? static_cast<long long>(value) * 10000 / runs : 0;
    out->Print("%5g ", static_cast<double>(percent) * 0.01);
    print_set(out, set);
    out->Print(",\n");
    return;
  }
  if (left) {
    set->insert(i);
    left->print_count(out, counter, runs, i + 1, ntax, set);
    set->remove(i);
  }
  if (right)
    right->print_count(out, counter, runs, i + 1, ntax, set);
}
