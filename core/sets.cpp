#include "core/sets.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/message.h"
#include "nexus/nexus.h"

namespace {

// Flags are single bytes 0 or 1, so eight of them are one 64-bit word and
// the members of a word are its set bits.
constexpr uint64_t LOW_BITS = 0x0101010101010101ULL;

// out[x] = op(a[x], b[x]) for x = 1..n (out may be a or b, or null to only
// count), eight flags at a time; returns the number of members of the result.
// op works bitwise, so that one expression serves words and single flags.
template <class tOp> int combine(unsigned char* out, const unsigned char* a, const unsigned char* b, int n, tOp op)
{
  int count = 0, x = 1;
  for (; x + 8 <= n + 1; x += 8) {
    uint64_t wa, wb;
    std::memcpy(&wa, a + x, sizeof wa);
    std::memcpy(&wb, b + x, sizeof wb);
    const uint64_t w = op(wa, wb) & LOW_BITS;
    if (out)
      std::memcpy(out + x, &w, sizeof w);
    // The members are one bit a byte: the product sums the bytes into the top one.
    count += static_cast<int>((w * LOW_BITS) >> 56);
  }
  for (; x <= n; x++) {
    const unsigned char w = static_cast<unsigned char>(op(uint64_t(a[x]), uint64_t(b[x])) & 1u);
    if (out)
      out[x] = w;
    count += w;
  }
  return count;
}

auto both = [](uint64_t a, uint64_t b) { return a & b; };
auto but_not = [](uint64_t a, uint64_t b) { return a & ~b; };
auto either = [](uint64_t a, uint64_t b) { return a | b; };
auto or_not = [](uint64_t a, uint64_t b) { return a | ~b; };
auto one_of = [](uint64_t a, uint64_t b) { return a ^ b; };

} // namespace

tSet::tSet(int n) { resize(n); }

void tSet::resize(int n)
{
  if (n < 1) {
    std::vector<unsigned char>().swap(elements);
    top = 0;
    return;
  }
  elements.resize(static_cast<size_t>(n) + 1, 0);
  top = n;
}

void tSet::insert(int x)
{
  if (x < 1 || x > top)
    error("tSet::insert (n=%d): out of range: 1..%d", x, top);
  elements[x] = 1;
}

void tSet::remove(int x)
{
  if (x < 1)
    error("tSet::remove (n=%d): bad value", x);
  if (x <= top)
    elements[x] = 0;
}

int tSet::singleton(int x)
{
  if (x < 1)
    error("tSet::singleton (n=%d): bad value", x);
  if (x > top)
    resize(x);
  make_emptyset();
  elements[x] = 1;
  return x;
}

void tSet::set(int n, const char* list)
{
  resize(n);
  make_emptyset();
  for (const char* p = list; p && *p; p++)
    insert(static_cast<unsigned char>(*p));
}

void tSet::make_emptyset() { std::fill(elements.begin(), elements.end(), 0); }

void tSet::make_fullset(int n)
{
  resize(n);
  for (int x = 1; x <= top; x++)
    elements[x] = 1;
}

void tSet::make_complement()
{
  for (int x = 1; x <= top; x++)
    elements[x] = !elements[x];
}

// Membership in A or, with flag 1, in A's complement within 1..A.top.
static bool member(int flag, const tSet* A, int x)
{
  if (x < 1 || x > A->max_size())
    return false;
  return A->is_element(x) != (flag != 0);
}

int tSet::make_union(int flagA, const tSet* A, int flagB, const tSet* B)
{
  // Built aside: A or B may be this set.
  int n = std::max(A->max_size(), B->max_size());
  std::vector<unsigned char> result(n >= 1 ? static_cast<size_t>(n) + 1 : 0, 0);
  for (int x = 1; x <= n; x++)
    result[x] = member(flagA, A, x) || member(flagB, B, x);
  elements.swap(result);
  top = n >= 1 ? n : 0;
  return size();
}

int tSet::make_intersection(int flagA, const tSet* A, int flagB, const tSet* B)
{
  int n = std::max(A->max_size(), B->max_size());
  std::vector<unsigned char> result(n >= 1 ? static_cast<size_t>(n) + 1 : 0, 0);
  for (int x = 1; x <= n; x++)
    result[x] = member(flagA, A, x) && member(flagB, B, x);
  elements.swap(result);
  top = n >= 1 ? n : 0;
  return size();
}

int tSet::copy(int flag, const tSet* A)
{
  copy_N(flag, A);
  return size();
}

void tSet::copy_N(int flag, const tSet* A)
{
  if (A == this) {
    if (flag)
      make_complement();
    return;
  }
  resize(A->top);
  for (int x = 1; x <= top; x++)
    elements[x] = member(flag, A, x);
}

bool tSet::equal(const tSet* A) const
{
  int n = std::max(top, A->top);
  for (int x = 1; x <= n; x++)
    if (is_element(x) != A->is_element(x))
      return false;
  return true;
}

bool tSet::is_complement(const tSet* A) const
{
  for (int x = 1; x <= top; x++)
    if (is_element(x) == A->is_element(x))
      return false;
  return true;
}

int tSet::size() const
{
  int count = 0;
  for (int x = 1; x <= top; x++)
    count += elements[x] != 0;
  return count;
}

int tSet::get_element(int k) const
{
  if (k < 1)
    return 0;
  for (int x = 1; x <= top; x++)
    if (elements[x] && --k == 0)
      return x;
  return 0;
}

int tSet::first_element(int flag) const { return next_element(flag, 0); }

int tSet::next_element(int flag, int x) const
{
  for (int y = x < 0 ? 1 : x + 1; y <= top; y++)
    if ((elements[y] != 0) != (flag != 0))
      return y;
  return 0;
}

int tSet::intersection_size(int flag, const tSet* A) const
{
  const int n = std::min(top, A->top);
  if (n < 1)
    return 0;
  return flag ? combine(nullptr, elements.data(), A->elements.data(), n, but_not)
              : combine(nullptr, elements.data(), A->elements.data(), n, both);
}

int tSet::union_size(int flag, const tSet* A) const
{
  const int n = std::min(top, A->top);
  if (n < 1)
    return 0;
  return flag ? combine(nullptr, elements.data(), A->elements.data(), n, or_not)
              : combine(nullptr, elements.data(), A->elements.data(), n, either);
}

int tSet::intersect_with(int flag, const tSet* A)
{
  const int n = std::min(top, A->top);
  if (n < 1)
    return 0;
  unsigned char* e = elements.data();
  return flag ? combine(e, e, A->elements.data(), n, but_not) : combine(e, e, A->elements.data(), n, both);
}

int tSet::union_with(int flag, const tSet* A)
{
  const int n = std::min(top, A->top);
  if (n < 1)
    return 0;
  unsigned char* e = elements.data();
  return flag ? combine(e, e, A->elements.data(), n, or_not) : combine(e, e, A->elements.data(), n, either);
}

int tSet::split_size() const
{
  int s = size();
  return std::min(s, top - s);
}

bool tSet::split_equal(const tSet* A) const
{
  if (top != A->top)
    error("split_equal(A): top=%d != A.top=%d", top, A->top);
  if (top < 1)
    return true;
  bool same_side = elements[1] == A->elements[1];
  for (int x = 2; x <= top; x++)
    if ((elements[x] == A->elements[x]) != same_side)
      return false;
  return true;
}

int tSet::binary2set(int ntax, int n)
{
  if (ntax > 31)
    error("binary2set(ntax=%d,n=%d): ntax out of range 0..31", ntax, n);
  resize(ntax);
  unsigned int bits = static_cast<unsigned int>(n);
  for (int i = 0; i < ntax; i++)
    elements[i + 1] = (bits >> i) & 1u;
  return size();
}

int tSet::set2binary() const
{
  // Only members 1..32 fit into the word.
  unsigned int bits = 0;
  for (int x = 1; x <= top && x <= 32; x++)
    if (elements[x])
      bits |= 1u << (x - 1);
  return static_cast<int>(bits);
}

void tSet::make_setminus_N(const tSet* A, const tSet* B)
{
  if (A->top != B->top)
    error("make_setminus (A,B): Sets have different maxsizes: %d %d", A->top, B->top);
  resize(A->top);
  if (top >= 1)
    combine(elements.data(), A->elements.data(), B->elements.data(), top, but_not);
}

void tSet::make_union_N(const tSet* A, const tSet* B)
{
  if (A->top != B->top)
    error("make_union (A,B): Sets have different maxsizes: %d %d", A->top, B->top);
  resize(A->top);
  if (top >= 1)
    combine(elements.data(), A->elements.data(), B->elements.data(), top, either);
}

void tSet::make_intersection_N(const tSet* A, const tSet* B)
{
  if (A->top != B->top)
    error("make_intersection_N (A,B): Sets have different maxsizes: %d %d", A->top, B->top);
  resize(A->top);
  if (top >= 1)
    combine(elements.data(), A->elements.data(), B->elements.data(), top, both);
}

void tSet::make_xor_N(const tSet* A, const tSet* B)
{
  if (A->top != B->top)
    error("make_xor_N (A,B): Sets have different maxsizes: %d %d", A->top, B->top);
  resize(A->top);
  if (top >= 1)
    combine(elements.data(), A->elements.data(), B->elements.data(), top, one_of);
}

bool tSet::is_subset_N(int flag, const tSet* A) const
{
  if (top != A->top)
    error("is_subset_(use_compl,A): top!=top.A %d %d", top, A->top);
  for (int x = 1; x <= top; x++)
    if (member(flag, A, x) && !elements[x])
      return false;
  return true;
}

void print_set(tNexusOutput* out, const tSet* S)
{
  if (!S)
    return;
  int n = S->max_size();
  for (int a = 1; a <= n; a++) {
    if (!S->is_element(a))
      continue;
    int b = a;
    while (b < n && S->is_element(b + 1))
      b++;
    if (b == a)
      out->Print(" %d", a);
    else
      out->Print(" %d%c%d", a, b == a + 1 ? ' ' : '-', b);
    a = b;
  }
}

// Grammar: NONE; | item* where item is a number x, a range x-y, or x-.
// (x to max). The list ends at the first token that is not a number in
// 1..max; it is well formed when that token holds a stop character, and that
// token stays current for the caller.
bool read_set(tNexusInput* in, tSet* S, int max, const char* stop)
{
  S->resize(max);
  S->make_emptyset();
  if (in->CompareCurrentToken("NONE") && in->CompareNextToken(";"))
    return true;
  for (;;) {
    int a = 0;
    if (!in->ReadCurrentTokenInt(&a) || a < 1 || a > max) {
      const char* token = in->CurrentToken();
      return token && stop && std::strpbrk(token, stop) != nullptr;
    }
    in->NextToken();
    if (!in->CompareCurrentToken("-")) {
      S->insert(a);
      continue;
    }
    in->NextToken();
    int b = 0;
    if (in->ReadCurrentTokenInt(&b) && b >= 1 && b <= max) {
      for (int x = a; x <= b; x++)
        S->insert(x);
    } else if (in->CompareCurrentToken(".") && max >= 1) {
      for (int x = a; x <= max; x++)
        S->insert(x);
    } else {
      return false;
    }
    in->NextToken();
  }
}
