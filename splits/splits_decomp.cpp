#include "splits/splits_decomp.h"

#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "blocks/blk_distances.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "splits/splits_sys.h"

tQuartetScan::tQuartetScan(const tDistancesBlk* distances, int ntax)
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
  if (dBB.size() < nb * nb)
    dBB.resize(nb * nb);
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

double tQuartetScan::isolation(int t, const unsigned char* inA, double drop)
{
  prepare(t, inA);
  const double* dt = row(t);
  tRow r{nullptr, daB.data(), dtB.data(), 0.0, 0.0, 0.0, 0, B.size()};
  double value = 100000.0;
  for (int a1 : A) {
    load_a1(a1);
    r.dta1 = dt[a1];
    for (r.i = 0; r.i < r.nb; r.i++) {
      r.dbb = bb_row(r.i);
      r.dtb1 = r.dtb[r.i];
      r.da1b1 = r.dab[r.i];
      if (!iso_row(r, value, tame) || 0.5 * value <= drop)
        return 0.0;
    }
  }
  return 0.5 * value;
}

double tQuartetScan::buneman(int t, const unsigned char* inA, double drop)
{
  prepare(t, inA);
  const double* dt = row(t);
  tRow r{nullptr, daB.data(), dtB.data(), 0.0, 0.0, 0.0, 0, B.size()};
  double value = 1000000.0;
  for (int a1 : A) {
    load_a1(a1);
    r.dta1 = dt[a1];
    for (r.i = 0; r.i < r.nb; r.i++) {
      r.dbb = bb_row(r.i);
      r.dtb1 = r.dtb[r.i];
      r.da1b1 = r.dab[r.i];
      if (!buneman_row(r, value) || value <= drop)
        return 0.0;
    }
  }
  return value;
}

namespace {

// The split sides of one level, flat: split s has flags [s*stride+1 .. s*stride+t].
struct tLevel {
  size_t stride = 0;
  std::vector<unsigned char> sides;
  std::vector<double> weights;

  size_t count() const { return weights.size(); }
  const unsigned char* side(size_t s) const { return sides.data() + s * stride; }
  unsigned char* append(double w)
  {
    weights.push_back(w);
    sides.resize(weights.size() * stride, 0);
    return sides.data() + (weights.size() - 1) * stride;
  }
  void reset(size_t new_stride)
  {
    stride = new_stride;
    sides.clear();
    weights.clear();
  }
};

} // namespace

void incremental_splits(tSplitsSystem* splits, const tDistancesBlk* distances, tSplitIndex index)
{
  const int ntax = splits->get_ntax();
  splits->set_n(0);
  splits->set_ntax(ntax);
  if (ntax < 2)
    return;
  tQuartetScan scan(distances, ntax);
  auto index_of = [&](int t, const unsigned char* inA) {
    tcltk_update();
    return index == tSplitIndex::isolation ? scan.isolation(t, inA, SPLIT_WEIGHT_BOUND)
                                           : scan.buneman(t, inA, SPLIT_WEIGHT_BOUND);
  };

  tLevel previous, current;
  std::vector<unsigned char> inA(static_cast<size_t>(ntax) + 1);
  for (int t = 2; t <= ntax; t++) {
    current.reset(static_cast<size_t>(t) + 1);
    // Each kept split is held by its side with taxon 1 (normal form).
    std::fill(inA.begin(), inA.end(), 0);
    inA[t] = 1;
    const double w_single = index_of(t, inA.data());
    if (w_single > SPLIT_WEIGHT_BOUND) {
      unsigned char* side = current.append(w_single);
      for (int x = 1; x < t; x++)
        side[x] = 1;
    }
    for (size_t s = 0; s < previous.count(); s++) {
      const unsigned char* S = previous.side(s);
      const double wS = previous.weights[s];
      for (int x = 1; x < t; x++)
        inA[x] = S[x];
      double w = FMIN(index_of(t, inA.data()), wS);
      if (w > SPLIT_WEIGHT_BOUND) {
        unsigned char* side = current.append(w);
        for (int x = 1; x <= t; x++)
          side[x] = inA[x];
      }
      for (int x = 1; x < t; x++)
        inA[x] = !S[x];
      w = FMIN(index_of(t, inA.data()), wS);
      if (w > SPLIT_WEIGHT_BOUND) {
        unsigned char* side = current.append(w);
        for (int x = 1; x < t; x++)
          side[x] = S[x];
      }
    }
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
