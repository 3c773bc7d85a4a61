#include "splits/quartets.h"

#include <algorithm>

#include "core/message.h"

tQuartets::tQuartets(long n)
{
  if (n < 0 || n > 1000000000L)
    error("tQuartets(n=%ld): illegal value", n);
  max_len = static_cast<int>(n);
  data.resize(static_cast<size_t>(n) + 2);
}

void tQuartets::copy(const tQuartets& q)
{
  if (max_len != q.max_len)
    error("tQuartets::copy(q): max_len=%d != q.max_len=%d", max_len, q.max_len);
  if (&q == this)
    return;
  cur_len = q.cur_len;
  std::copy(q.data.begin() + 1, q.data.begin() + 1 + cur_len, data.begin() + 1);
}

void tQuartets::add(const tQuart& q)
{
  if (!keeps(q.value))
    return;
  int i = cur_len + 1;
  while (i > 1 && data[i - 1].value > q.value) {
    data[i] = data[i - 1];
    i--;
  }
  data[i] = q;
  if (cur_len < max_len)
    cur_len++;
}

void tQuartets::append_and_grow(const tQuart& q)
{
  if (cur_len == max_len) {
    max_len++;
    data.resize(static_cast<size_t>(max_len) + 2);
  }
  data[++cur_len] = q;
}

double tQuartets::sum(int n) const
{
  if (n < 1 || n > cur_len)
    n = cur_len;
  double s = 0.0;
  for (int i = 1; i <= n; i++)
    s += data[i].value;
  return s;
}

void tQuartets::out_of_range(int i) const { error("tQuartets::operation [%d]: out of range: 1..%d", i, cur_len); }

tQuart& tQuartets::operator[](int i)
{
  if (i < 1 || i > cur_len)
    out_of_range(i);
  return data[i];
}

const tQuart& tQuartets::operator[](int i) const
{
  if (i < 1 || i > cur_len)
    out_of_range(i);
  return data[i];
}

tQuartets& tQuartetsArray::operator[](int n)
{
  if (n < 1 || n > get_num())
    error("&tQuartetsArray::operator[] (int n=%d): out of range: 1-%d", n, get_num());
  return *lists[static_cast<size_t>(n) - 1];
}
