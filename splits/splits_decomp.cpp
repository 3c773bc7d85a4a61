#include "splits/splits_decomp.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "blocks/blk_distances.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/parallel.h"
#include "core/progress.h"
#include "core/sets.h"
#include "splits/splits_sys.h"

tFlatDistances::tFlatDistances(const tDistancesBlk* distances, int ntax)
    : stride(static_cast<size_t>(ntax < 0 ? 0 : ntax) + 1), dist(stride * stride, 0.0)
{
  // get_matrix checks the range, so a matrix with too few taxa stops here.
  for (int i = 1; i <= ntax; i++)
    for (int j = 1; j <= ntax; j++)
      dist[static_cast<size_t>(i) * stride + static_cast<size_t>(j)] = distances->get_matrix(i, j);
  for (double x : dist)
    if (!(std::fabs(x) <= 1e300))
      tame = false;
}

tQuartetScan::tQuartetScan(const tDistancesBlk* distances, int ntax)
    : flat(std::make_shared<tFlatDistances>(distances, ntax))
{
}

tQuartetScan::tQuartetScan(std::shared_ptr<const tFlatDistances> distances) : flat(std::move(distances)) {}

void tQuartetScan::prepare(int t, const unsigned char* inA)
{
  A.clear();
  B.clear();
  for (int x = 1; x <= t; x++)
    (inA[x] ? A : B).push_back(x);
  const size_t nb = B.size();
  const double* dt = row(t);
  dtB.resize(nb);
  daB.resize(nb);
  for (size_t k = 0; k < nb; k++)
    dtB[k] = dt[B[k]];
  rows_ready = 0;
}

void tQuartetScan::load_a1(int a1)
{
  const double* da = row(a1);
  for (size_t k = 0; k < B.size(); k++)
    daB[k] = da[B[k]];
}

// Rows are asked for in increasing order during the scan of the first a1,
// and a candidate rejected early never pays for the rows it did not reach.
const double* tQuartetScan::bb_row(size_t i)
{
  const size_t nb = B.size();
  double* out = dBB.data() + i * nb;
  if (i == rows_ready) {
    const double* db = row(B[i]);
    for (size_t k = i; k < nb; k++)
      out[k] = db[B[k]];
    rows_ready++;
  }
  return out;
}

namespace {

// One row of a scan: the quartets (t, a1 | b1, b2) for b1 = B[i] and every
// b2 = B[k], k >= i. Each returns false when a quartet rejects the split and
// otherwise lowers `value` to the row's minimum.
struct tRow {
  const double* dbb;  // d(b1, B[k])
  const double* dab;  // d(a1, B[k])
  const double* dtb;  // d(t, B[k])
  double dta1, dtb1, da1b1;
  size_t i, nb;
};

// The minimum of `value` and the terms of row r; NaN terms are passed over.
// On SSE2 machines pairs of terms are taken at once, in two independent
// accumulators (each lane computes exactly what `term` does, and _mm_min_pd,
// _mm_max_pd select like FMIN/FMAX), so the result is the same everywhere.
template <class tTerm, class tPair>
inline double row_minimum(const tRow& r, double value, tTerm term, tPair pair)
{
  size_t k = r.i;
  double m = value;
#ifdef __SSE2__
  __m128d v = _mm_set1_pd(value), w = v;
  for (; k + 4 <= r.nb; k += 4) {
    v = _mm_min_pd(pair(k), v);
    w = _mm_min_pd(pair(k + 2), w);
  }
  v = _mm_min_pd(v, w);
  m = FMIN(_mm_cvtsd_f64(v), _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)));
#else
  (void)pair;
#endif
  for (; k < r.nb; k++) {
    const double q = term(k);
    m = q < m ? q : m;
  }
  return m;
}

#ifdef __SSE2__
inline __m128d load2(const double* p) { return _mm_loadu_pd(p); }
inline __m128d both(double x) { return _mm_set1_pd(x); }
#endif

// The isolation index rejects when a1a2_b1b2 is not below the larger of the
// other two sums, and otherwise takes their difference. Without unknown or
// huge distances no difference is NaN, and the difference is <= 0 exactly
// when the quartet rejects, so the minimum alone decides.
inline bool iso_row(const tRow& r, double& value, bool tame)
{
  auto term = [&r](size_t k) {
    const double a1a2_b1b2 = r.dta1 + r.dbb[k];
    const double a1b2_a2b1 = r.dab[k] + r.dtb1;
    const double a1b1_a2b2 = r.da1b1 + r.dtb[k];
    return FMAX(a1b2_a2b1, a1b1_a2b2) - a1a2_b1b2;
  };
  if (tame) {
#ifdef __SSE2__
    auto pair = [&r](size_t k) {
      const __m128d a1a2_b1b2 = _mm_add_pd(both(r.dta1), load2(r.dbb + k));
      const __m128d a1b2_a2b1 = _mm_add_pd(load2(r.dab + k), both(r.dtb1));
      const __m128d a1b1_a2b2 = _mm_add_pd(both(r.da1b1), load2(r.dtb + k));
      return _mm_sub_pd(_mm_max_pd(a1b2_a2b1, a1b1_a2b2), a1a2_b1b2);
    };
#else
    auto pair = 0;
#endif
    const double v = row_minimum(r, value, term, pair);
    if (v <= 0.0)
      return false;
    value = v;
    return true;
  }
  // Two unknown distances give inf - inf: a NaN that rejects.
  for (size_t k = r.i; k < r.nb; k++) {
    const double a1a2_b1b2 = r.dta1 + r.dbb[k];
    const double m = FMAX(r.dab[k] + r.dtb1, r.da1b1 + r.dtb[k]);
    if (!(a1a2_b1b2 < m))
      return false;
    value = FMIN(value, m - a1a2_b1b2);
  }
  return true;
}

// The Buneman index rejects on a quartet value <= 0; the minimum only ever
// holds positive values, and a NaN value (unknown distances) is never below
// it, so the minimum alone decides.
inline bool buneman_row(const tRow& r, double& value)
{
  auto term = [&r](size_t k) {
    return 0.5 * (FMIN(r.da1b1 + r.dtb[k], r.dab[k] + r.dtb1) - r.dta1 - r.dbb[k]);
  };
#ifdef __SSE2__
  auto pair = [&r](size_t k) {
    const __m128d x = _mm_add_pd(both(r.da1b1), load2(r.dtb + k));
    const __m128d y = _mm_add_pd(load2(r.dab + k), both(r.dtb1));
    const __m128d d = _mm_sub_pd(_mm_sub_pd(_mm_min_pd(x, y), both(r.dta1)), load2(r.dbb + k));
    return _mm_mul_pd(both(0.5), d);
  };
#else
  auto pair = 0;
#endif
  const double v = row_minimum(r, value, term, pair);
  if (v <= 0.0)
    return false;
  value = v;
  return true;
}

} // namespace

namespace {

// Whether the quartet (t, a1 | b1, b2) rejects the split, as the indices
// define it.
template <bool buneman> bool quartet_rejects(const tFlatDistances& f, int t, int a1, int b1, int b2)
{
  const double* dt = f.row(t);
  const double* da = f.row(a1);
  const double dbb = f.row(b1)[b2];
  if (buneman)
    return 0.5 * (FMIN(da[b1] + dt[b2], da[b2] + dt[b1]) - dt[a1] - dbb) <= 0.0;
  const double a1a2_b1b2 = dt[a1] + dbb;
  return !(a1a2_b1b2 < FMAX(da[b2] + dt[b1], da[b1] + dt[b2]));
}

// Quartet minima over whole distance rows, with the members of one side
// masked out by the candidate's flags: no gathering, and 4 lanes at a time.
// Each value is formed with the same operations, in the same order, as the
// scalar index, so the minimum is the same bit for bit; the distances are
// tame, so there are no NaNs. A masked entry gives +inf.
typedef double tV4 __attribute__((vector_size(32)));

// Each kernel is the minimum over k in [from, to) of value(k) + mask[k],
// 8 entries a step in two chains (the minimum does not depend on the order),
// or 0.0 as soon as a value <= 0 (a rejecting quartet) has been seen;
// written out in full so that every clone inlines all of it. X, Y, Z are the
// three rows at k, C1, C2, C3 the constants.
#define QV_MASKED_MINIMUM(vector_value, scalar_value)                                                          \
  const tV4 V1 = {c1, c1, c1, c1}, V2 = {c2, c2, c2, c2}, V3 = {c3, c3, c3, c3}, HALF = {0.5, 0.5, 0.5, 0.5}; \
  (void)HALF;                                                                                                  \
  tV4 low0 = {HUGE_VAL, HUGE_VAL, HUGE_VAL, HUGE_VAL}, low1 = low0;                                          \
  size_t k = from;                                                                                             \
  for (; k + 8 <= to; k += 8) {                                                                                \
    /* A rejecting quartet ends the scan: the caller needs no more. */                                         \
    if ((k - from) % 64 == 0 && k > from) {                                                                    \
      const tV4 l = low1 < low0 ? low1 : low0;                                                                 \
      if (l[0] <= 0.0 || l[1] <= 0.0 || l[2] <= 0.0 || l[3] <= 0.0)                                           \
        return 0.0;                                                                                            \
    }                                                                                                          \
    for (int half_step = 0; half_step < 2; half_step++) {                                                      \
      const size_t j = k + 4 * static_cast<size_t>(half_step);                                                 \
      tV4 X, Y, Z, M;                                                                                          \
      std::memcpy(&X, x + j, sizeof X);                                                                        \
      std::memcpy(&Y, y + j, sizeof Y);                                                                        \
      std::memcpy(&Z, z + j, sizeof Z);                                                                        \
      std::memcpy(&M, mask + j, sizeof M);                                                                     \
      const tV4 v = (vector_value) + M;                                                                        \
      if (half_step == 0)                                                                                      \
        low0 = v < low0 ? v : low0;                                                                            \
      else                                                                                                     \
        low1 = v < low1 ? v : low1;                                                                            \
    }                                                                                                          \
  }                                                                                                            \
  low0 = low1 < low0 ? low1 : low0;                                                                            \
  double m = HUGE_VAL;                                                                                         \
  for (int i = 0; i < 4; i++)                                                                                  \
    m = FMIN(m, low0[i]);                                                                                      \
  for (; k < to; k++) {                                                                                        \
    const double X = x[k], Y = y[k], Z = z[k];                                                                 \
    m = FMIN(m, (scalar_value) + mask[k]);                                                                     \
  }                                                                                                            \
  return m;

#define QV_KERNEL(name)                                                                                        \
  __attribute__((target_clones("avx2", "default"))) double name(const double* x, const double* y,              \
                                                                const double* z, const double* mask,           \
                                                                double c1, double c2, double c3, size_t from,  \
                                                                size_t to)

// The pair b1, b2 over every a1 in [from, to): x, y, z are the rows of b1, b2
// and t; c1 = d(t, b1), c2 = d(t, b2), c3 = d(b1, b2).
QV_KERNEL(iso_pair_minimum)
{
  QV_MASKED_MINIMUM(((Y + V1) > (X + V2) ? (Y + V1) : (X + V2)) - (Z + V3),
                    FMAX(Y + c1, X + c2) - (Z + c3))
}
QV_KERNEL(buneman_pair_minimum)
{
  QV_MASKED_MINIMUM(HALF * (((X + V2) < (Y + V1) ? (X + V2) : (Y + V1)) - Z - V3),
                    0.5 * (FMIN(X + c2, Y + c1) - Z - c3))
}

// The pair a1, b1 over every b2 in [from, to): x, y, z are the rows of t, a1
// and b1; c1 = d(t, b1), c2 = d(a1, b1), c3 = d(t, a1).
QV_KERNEL(iso_row_minimum)
{
  QV_MASKED_MINIMUM(((Y + V1) > (V2 + X) ? (Y + V1) : (V2 + X)) - (V3 + Z),
                    FMAX(Y + c1, c2 + X) - (c3 + Z))
}
QV_KERNEL(buneman_row_minimum)
{
  QV_MASKED_MINIMUM(HALF * (((V2 + X) < (Y + V1) ? (V2 + X) : (Y + V1)) - V3 - Z),
                    0.5 * (FMIN(c2 + X, Y + c1) - c3 - Z))
}
#undef QV_KERNEL
#undef QV_MASKED_MINIMUM

} // namespace

void tQuartetScan::remember(int t, int a1, int b1, int b2)
{
  if (witness_level != t) {
    witness_level = t;
    witnesses.clear();
  }
  for (size_t i = 0; i < witnesses.size(); i++)
    if (witnesses[i].a1 == a1 && witnesses[i].b1 == b1 && witnesses[i].b2 == b2) {
      witnesses.erase(witnesses.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  witnesses.insert(witnesses.begin(), tWitness{a1, b1, b2});
  if (witnesses.size() > 4)
    witnesses.pop_back();
}

template <bool buneman> bool tQuartetScan::rejected_by_witness(int t, const unsigned char* inA, int a_hint)
{
  if (witness_level == t)
    for (const tWitness& w : witnesses)
      if (inA[w.a1] && !inA[w.b1] && !inA[w.b2] && quartet_rejects<buneman>(*flat, t, w.a1, w.b1, w.b2))
        return true;
  // A wrong extension puts t away from its neighbours: a quartet of a member
  // of A with two of t's nearest taxa on the other side rejects it most often.
  if (a_hint <= 0 || near_level != t)
    return false;
  int b[6];
  int nb = 0;
  for (size_t i = 0; i < near_count && nb < 6; i++)
    if (!inA[near[i]])
      b[nb++] = near[i];
  for (int i = 0; i < nb; i++)
    for (int j = i + 1; j < nb; j++)
      if (quartet_rejects<buneman>(*flat, t, a_hint, b[i], b[j])) {
        remember(t, a_hint, b[i], b[j]);
        return true;
      }
  return false;
}

void tQuartetScan::set_near(int t, const int* taxa, size_t count)
{
  near_level = t;
  near = taxa;
  near_count = count;
}

template <bool buneman> double tQuartetScan::scan_rows(int t, double drop)
{
  const size_t nb = B.size();
  if (dBB.size() < nb * nb)
    dBB.resize(nb * nb);
  const double* dt = row(t);
  tRow r{nullptr, daB.data(), dtB.data(), 0.0, 0.0, 0.0, 0, nb};
  double value = buneman ? 1000000.0 : 100000.0;
  for (int a1 : A) {
    load_a1(a1);
    r.dta1 = dt[a1];
    for (r.i = 0; r.i < r.nb; r.i++) {
      r.dbb = bb_row(r.i);
      r.dtb1 = r.dtb[r.i];
      r.da1b1 = r.dab[r.i];
      const bool kept = buneman ? buneman_row(r, value) : iso_row(r, value, flat->tame);
      if (!kept) {
        for (size_t k = r.i; k < nb; k++)
          if (quartet_rejects<buneman>(*flat, t, a1, B[r.i], B[k])) {
            remember(t, a1, B[r.i], B[k]);
            break;
          }
        return 0.0;
      }
      if ((buneman ? value : 0.5 * value) <= drop)
        return 0.0;
    }
  }
  return buneman ? value : 0.5 * value;
}

template <bool buneman>
double tQuartetScan::scan_pairs(int t, const unsigned char* inA, double drop, int part, int parts)
{
  const double* dt = row(t);
  const size_t to = static_cast<size_t>(t) + 1;
  double value = buneman ? 1000000.0 : 100000.0;
  for (size_t i = static_cast<size_t>(part); i < B.size(); i += static_cast<size_t>(parts)) {
    const int b1 = B[i];
    const double* r1 = row(b1);
    for (size_t k = i; k < B.size(); k++) {
      const int b2 = B[k];
      const double* r2 = row(b2);
      const double v = buneman ? buneman_pair_minimum(r1, r2, dt, mask.data(), dt[b1], dt[b2], r1[b2], 1, to)
                               : iso_pair_minimum(r1, r2, dt, mask.data(), dt[b1], dt[b2], r1[b2], 1, to);
      if (v <= 0.0) {
        for (int a1 = 1; a1 <= t; a1++)
          if (inA[a1] && quartet_rejects<buneman>(*flat, t, a1, b1, b2)) {
            remember(t, a1, b1, b2);
            break;
          }
        return 0.0;
      }
      value = FMIN(value, v);
      if ((buneman ? value : 0.5 * value) <= drop)
        return 0.0;
    }
  }
  return buneman ? value : 0.5 * value;
}

template <bool buneman>
double tQuartetScan::scan_full_rows(int t, const unsigned char* inA, double drop, int part, int parts)
{
  const double* rt = row(t);
  const size_t to = static_cast<size_t>(t) + 1;
  double value = buneman ? 1000000.0 : 100000.0;
  for (int a1 : A) {
    const double* ra = row(a1);
    for (int b1 = 1 + part; b1 < t; b1 += parts) {
      if (inA[b1])
        continue;
      const double* rb = row(b1);
      const size_t from = static_cast<size_t>(b1);
      const double v = buneman ? buneman_row_minimum(rt, ra, rb, mask.data(), rt[b1], ra[b1], rt[a1], from, to)
                               : iso_row_minimum(rt, ra, rb, mask.data(), rt[b1], ra[b1], rt[a1], from, to);
      if (v <= 0.0) {
        for (int b2 = b1; b2 <= t; b2++)
          if (!inA[b2] && quartet_rejects<buneman>(*flat, t, a1, b1, b2)) {
            remember(t, a1, b1, b2);
            break;
          }
        return 0.0;
      }
      value = FMIN(value, v);
      if ((buneman ? value : 0.5 * value) <= drop)
        return 0.0;
    }
  }
  return buneman ? value : 0.5 * value;
}

namespace {

constexpr uint64_t ONES = 0x0101010101010101ULL;

} // namespace

template <bool buneman>
double tQuartetScan::scan(int t, const unsigned char* inA, double drop, int size_a, int a_hint, int part, int parts)
{
  // The first part has tried the witnesses already.
  if (part == 0 && rejected_by_witness<buneman>(t, inA, a_hint))
    return 0.0;
  if (!flat->tame) {
    // Not shared out: the first part scans everything.
    if (part > 0)
      return HUGE_VAL;
    prepare(t, inA);
    return scan_rows<buneman>(t, drop);
  }
  if (size_a < 0) {
    size_a = 0;
    for (int x = 1; x <= t; x++)
      size_a += inA[x];
  }
  // Only the smaller side is listed; the larger one is scanned through a
  // mask that is +inf on the smaller one. Eight flags at a time: sides are
  // mostly runs of one kind.
  const bool pairs = size_a > t - size_a;
  std::vector<int>& listed = pairs ? B : A;
  listed.clear();
  mask.resize(static_cast<size_t>(t) + 1);
  mask[0] = HUGE_VAL;
  const uint64_t flip = pairs ? ONES : 0;
  int x = 1;
  for (; x + 8 <= t + 1; x += 8) {
    uint64_t word;
    std::memcpy(&word, inA + x, sizeof word);
    word ^= flip;
    double* m = mask.data() + x;
    if (word == 0) {
      std::fill(m, m + 8, 0.0);
      continue;
    }
    for (int i = 0; i < 8; i++) {
      const bool small = inA[x + i] != pairs;
      m[i] = small ? HUGE_VAL : 0.0;
      if (small)
        listed.push_back(x + i);
    }
  }
  for (; x <= t; x++) {
    const bool small = inA[x] != pairs;
    mask[static_cast<size_t>(x)] = small ? HUGE_VAL : 0.0;
    if (small)
      listed.push_back(x);
  }
  return pairs ? scan_pairs<buneman>(t, inA, drop, part, parts) : scan_full_rows<buneman>(t, inA, drop, part, parts);
}

double tQuartetScan::isolation(int t, const unsigned char* inA, double drop, int size_a, int a_hint, int part,
                               int parts)
{
  return scan<false>(t, inA, drop, size_a, a_hint, part, parts);
}

double tQuartetScan::buneman(int t, const unsigned char* inA, double drop, int size_a, int a_hint, int part, int parts)
{
  return scan<true>(t, inA, drop, size_a, a_hint, part, parts);
}

namespace {

// The split sides of one level, flat: split s has flags [s*stride+1 .. s*stride+t].
struct tLevel {
  size_t stride = 0;
  std::vector<unsigned char> sides; // flags 0 or 1
  std::vector<double> weights;
  std::vector<int> sizes;           // members of each side
  std::vector<int> outs;            // the smallest taxon outside each side

  size_t count() const { return weights.size(); }
  const unsigned char* side(size_t s) const { return sides.data() + s * stride; }
  // `count` splits, to be filled in through side() and the tables.
  void resize(size_t count)
  {
    weights.resize(count);
    sizes.resize(count);
    outs.resize(count);
    sides.resize(count * stride);
  }
  unsigned char* side(size_t s) { return sides.data() + s * stride; }
  void reset(size_t new_stride)
  {
    stride = new_stride;
    sides.clear();
    weights.clear();
    sizes.clear();
    outs.clear();
  }
};

// Candidate c of level t: 0 is {t}; 2s+1 and 2s+2 extend split s of the
// previous level by t on its side and on the other side.

// |A| of candidate c.
int candidate_size(const tLevel& previous, size_t c, int t)
{
  if (c == 0)
    return 1;
  const size_t s = (c - 1) / 2;
  return c % 2 == 1 ? previous.sizes[s] + 1 : t - previous.sizes[s];
}

// Fills inA for candidate c. Returns |A|, and in a_member a member of A
// other than t (0 when there is none).
int candidate_side(const tLevel& previous, size_t c, int t, unsigned char* inA, int* a_member)
{
  inA[t] = 1;
  if (c == 0) {
    std::fill(inA + 1, inA + t, 0);
    *a_member = 0;
    return 1;
  }
  const size_t s = (c - 1) / 2;
  const unsigned char* S = previous.side(s);
  if (c % 2 == 1) {
    std::memcpy(inA + 1, S + 1, static_cast<size_t>(t - 1));
    *a_member = 1;
    return candidate_size(previous, c, t);
  }
  *a_member = previous.outs[s];
  int x = 1;
  for (; x + 8 <= t; x += 8) {
    uint64_t word;
    std::memcpy(&word, S + x, sizeof word);
    word ^= ONES;
    std::memcpy(inA + x, &word, sizeof word);
  }
  for (; x < t; x++)
    inA[x] = S[x] ^ 1;
  return candidate_size(previous, c, t);
}

// Levels with less work than this are scanned on the calling thread alone.
constexpr size_t PARALLEL_WORK = 1 << 14;

// A candidate whose whole scan takes more quartets than this is shared out
// in parts of about this many, at most four a lane.
constexpr double PART_QUARTETS = 1 << 15;

// Into how many parts the scan of candidate c of level t is cut.
int scan_parts(const tLevel& previous, size_t c, int t, int lanes)
{
  const double a = candidate_size(previous, c, t);
  const double b = t - a;
  // The smaller side is listed: pairs of B against every a1, or each a1
  // against the pairs of B.
  const double quartets = a > b ? 0.5 * b * b * t : 0.5 * a * b * b;
  return static_cast<int>(std::min<double>(4.0 * lanes, std::max(1.0, quartets / PART_QUARTETS)));
}

// A split kept at a level: from split `from` of the level before (-1 for
// the new trivial split), with or without the new taxon on its side.
struct tKept {
  double weight;
  int size, out;
  long from;
  unsigned char with_t;
};

struct tPiece {
  size_t c;
  int part, parts;
  double found;
};

} // namespace

void incremental_splits(tSplitsSystem* splits, const tDistancesBlk* distances, tSplitIndex index)
{
  const int ntax = splits->get_ntax();
  splits->set_n(0);
  splits->set_ntax(ntax);
  if (ntax < 2)
    return;
  const auto flat = std::make_shared<const tFlatDistances>(distances, ntax);
  tWorkCrew crew(std::min(computation_threads(), ntax));
  std::vector<tQuartetScan> scans(static_cast<size_t>(crew.lanes()), tQuartetScan(flat));
  std::vector<std::vector<unsigned char>> sides(scans.size(), std::vector<unsigned char>(static_cast<size_t>(ntax) + 1));
  std::vector<double> found;
  std::vector<int> near;
  std::vector<int> parts_of;
  std::vector<tPiece> pieces;
  std::vector<tKept> kept;

  // Large systems take a while: the front end shows how far they are. The
  // levels are not a place to stop (half a system is no result), so a
  // request to stop takes effect after the step.
  const char* step = index == tSplitIndex::isolation ? "Split decomposition" : "Buneman tree";
  tLevel previous, current;
  for (int t = 2; t <= ntax; t++) {
    progress(step, t - 1, ntax - 1);
    const size_t candidates = 1 + 2 * previous.count();
    found.assign(candidates, 0.0);
    // The taxa before t, nearest to t first (for the quick rejections; with
    // unknown distances there is no order to speak of).
    near.clear();
    if (flat->tame) {
      for (int x = 1; x < t; x++)
        near.push_back(x);
      const double* dt = flat->row(t);
      const size_t keep = std::min<size_t>(16, near.size());
      std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(keep), near.end(),
                        [dt](int x, int y) { return dt[x] < dt[y] || (dt[x] == dt[y] && x < y); });
      near.resize(keep);
    }
    auto scan_part = [&](size_t c, int lane, int part, int parts) {
      unsigned char* inA = sides[static_cast<size_t>(lane)].data();
      int a_member = 0;
      const int size_a = candidate_side(previous, c, t, inA, &a_member);
      tQuartetScan& scan = scans[static_cast<size_t>(lane)];
      scan.set_near(t, near.data(), near.size());
      return index == tSplitIndex::isolation ? scan.isolation(t, inA, SPLIT_WEIGHT_BOUND, size_a, a_member, part, parts)
                                             : scan.buneman(t, inA, SPLIT_WEIGHT_BOUND, size_a, a_member, part, parts);
    };
    auto scan_candidate = [&](size_t c, int lane) { found[c] = scan_part(c, lane, 0, 1); };
    if (crew.lanes() > 1 && candidates * static_cast<size_t>(t) >= PARALLEL_WORK) {
      // A kept candidate costs its whole scan, and one large one can hold up
      // a level. Large ones are cut into parts: the first part, run with the
      // others, rejects most of them; the rest of those that survive are
      // then shared out.
      parts_of.assign(candidates, 1);
      crew.run(candidates, 8, [&](size_t c, int lane) {
        const int parts = flat->tame ? scan_parts(previous, c, t, crew.lanes()) : 1;
        parts_of[c] = parts;
        found[c] = scan_part(c, lane, 0, parts);
      }, tcltk_update);
      pieces.clear();
      for (size_t c = 0; c < candidates; c++)
        if (parts_of[c] > 1 && found[c] != 0.0)
          for (int part = 1; part < parts_of[c]; part++)
            pieces.push_back({c, part, parts_of[c], 0.0});
      if (!pieces.empty()) {
        crew.run(pieces.size(), 1, [&](size_t i, int lane) {
          tPiece& p = pieces[i];
          p.found = scan_part(p.c, lane, p.part, p.parts);
        }, tcltk_update);
        for (const tPiece& p : pieces)
          found[p.c] = found[p.c] == 0.0 || p.found == 0.0 ? 0.0 : FMIN(found[p.c], p.found);
      }
    } else {
      for (size_t c = 0; c < candidates; c++) {
        tcltk_update();
        scan_candidate(c, 0);
      }
    }

    // Kept in candidate order, each by its side with taxon 1 (normal form):
    // listed first, then copied, on every lane when there are many.
    current.reset(static_cast<size_t>(t) + 1);
    kept.clear();
    if (found[0] > SPLIT_WEIGHT_BOUND)
      kept.push_back({found[0], t - 1, t, -1, 0});
    for (size_t s = 0; s < previous.count(); s++) {
      const double wS = previous.weights[s];
      const double with_t = FMIN(found[2 * s + 1], wS), without_t = FMIN(found[2 * s + 2], wS);
      if (with_t > SPLIT_WEIGHT_BOUND)
        kept.push_back({with_t, previous.sizes[s] + 1, previous.outs[s], static_cast<long>(s), 1});
      if (without_t > SPLIT_WEIGHT_BOUND)
        kept.push_back({without_t, previous.sizes[s], previous.outs[s], static_cast<long>(s), 0});
    }
    current.resize(kept.size());
    auto fill = [&](size_t k, int) {
      const tKept& e = kept[k];
      current.weights[k] = e.weight;
      current.sizes[k] = e.size;
      current.outs[k] = e.out;
      unsigned char* side = current.side(k);
      side[0] = 0;
      if (e.from < 0)
        std::memset(side + 1, 1, static_cast<size_t>(t - 1));
      else
        std::memcpy(side + 1, previous.side(static_cast<size_t>(e.from)) + 1, static_cast<size_t>(t - 1));
      side[t] = e.with_t;
    };
    if (crew.lanes() > 1 && kept.size() * static_cast<size_t>(t) >= PARALLEL_WORK)
      crew.run(kept.size(), 64, fill, [] {});
    else
      for (size_t k = 0; k < kept.size(); k++)
        fill(k, 0);
    std::swap(previous, current);
  }

  tSet A(ntax);
  for (size_t s = 0; s < previous.count(); s++) {
    A.make_emptyset();
    const unsigned char* side = previous.side(s);
    for (int x = 1; x <= ntax; x++)
      if (side[x])
        A.insert(x);
    splits->append_split(&A, previous.weights[s]);
  }
}

double iso_index(int t, const tSet* A, const tTaxaBlk* taxa, const tDistancesBlk* distances)
{
  (void)taxa;
  if (!A->is_element(t))
    error("iso_index(): a1=%d not in A", t);
  tQuartetScan scan(distances, t);
  std::vector<unsigned char> inA(static_cast<size_t>(t) + 1);
  for (int x = 1; x <= t; x++)
    inA[x] = A->is_element(x);
  return scan.isolation(t, inA.data(), -HUGE_VAL);
}

int tSplitsSystem::split_decomposition(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances)
{
  (void)taxa;
  (void)assumptions;
  incremental_splits(this, distances, tSplitIndex::isolation);
  return 1;
}
