#include "core/labels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/message.h"

namespace {
constexpr int MIN_MAXLENGTH = 3;
}

tLabels::tLabels() = default;

tLabels::~tLabels() { clear(); }

void tLabels::clear()
{
  _nlabels = 0;
  std::vector<std::string>().swap(_labels);
  std::vector<char>().swap(_present);
  _maxlength = MIN_MAXLENGTH;
}

void tLabels::set_n(int n)
{
  if (n < 0)
    error("set_n (n=%d): illegal value", n);
  clear();
  if (n > 0) {
    _labels.resize(static_cast<size_t>(n) + 1);
    _present.resize(static_cast<size_t>(n) + 1, 0);
    _nlabels = n;
  }
}

void tLabels::set(int i, const char* label)
{
  if (i < 1 || i > _nlabels)
    error("set(n=%d,label): out of range: 1..%d", i, _nlabels);
  // A null label empties the slot, which then reads as its number again.
  if (!label) {
    _labels[i].clear();
    _present[i] = 0;
    return;
  }
  _labels[i] = label;
  _present[i] = 1;
  int len = static_cast<int>(_labels[i].size());
  if (len > _maxlength)
    _maxlength = len;
}

int tLabels::append(const char* label)
{
  if (_labels.empty()) {
    _labels.resize(1);
    _present.resize(1, 0);
  }
  _labels.emplace_back();
  _present.push_back(0);
  _nlabels++;
  set(_nlabels, label);
  return _nlabels;
}

bool tLabels::has(int i) const { return i >= 1 && i <= _nlabels && _present[i]; }

const char* tLabels::get(int i) const
{
  if (has(i))
    return _labels[i].c_str();
  thread_local std::string number;
  number = std::to_string(i);
  return number.c_str();
}

int tLabels::label2n(const char* label) const
{
  if (!label)
    return 0;
  for (int i = 1; i <= _nlabels; i++)
    if (_present[i] && _labels[i] == label)
      return i;
  return 0;
}

void tLabels::truncate(int len)
{
  int k = _nlabels <= 99 ? 2 : (_nlabels <= 999 ? 3 : 4);
  // No room for the index behind a stem: keep the labels as they are
  // rather than cut them to nothing.
  if (len <= k)
    return;
  size_t stem = static_cast<size_t>(len - k);
  int longest = len;
  for (int i = 1; i <= _nlabels; i++) {
    // A label shorter than the stem fits already and keeps its text.
    if (!_present[i] || _labels[i].size() < stem)
      continue;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", k, i);
    _labels[i].resize(stem);
    _labels[i] += digits;
    // From 10000 labels on the index needs a fifth digit.
    longest = std::max(longest, static_cast<int>(_labels[i].size()));
  }
  _maxlength = longest;
}
