#include "distances/compute_freq.h"

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

tSquareMatrix::tSquareMatrix(int n)
  : n(n < 0 ? 0 : n),
    cells(static_cast<size_t>(this->n + 1) * static_cast<size_t>(this->n + 1), 0.0),
    row_pointers(static_cast<size_t>(this->n + 1), nullptr)
{
  for (int i = 0; i <= this->n; i++)
    row_pointers[i] = &cells[static_cast<size_t>(i) * static_cast<size_t>(this->n + 1)];
}

std::vector<int> active_sites(const tCharactersBlk* characters)
{
  std::vector<int> sites;
  const int nchar = characters->get_nchar();
  for (int c = 1; c <= nchar; c++)
    if (characters->get_mask(c))
      sites.push_back(c);
  return sites;
}

namespace {

// Turns counts into shares, taking the constant-site frequencies off first.
void normalise(const tCharactersBlk* characters, const tAssumptionsBlk* assumptions, double** F)
{
  const int k = characters->ncolors;
  if (assumptions->exclude_constant >= 1) {
    for (int a = 1; a <= k; a++) {
      const double removed = characters->constant_freq[characters->colors2symbols[a]];
      F[a][a] -= removed;
      message("removing: %g\n", removed);
    }
  }

  double total = 0.0;
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      total += F[a][b];
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      F[a][b] = total != 0.0 ? F[a][b] / total : 1.0;
}

// Bit planes pay off while k*k popcounts per 64 sites beat 64 table updates.
constexpr int MAX_PLANE_COLORS = 8;

// The pair counts from interleaved planes (word w of color a of a taxon at
// w*K + a-1): one pass over the words per color of x, so that the K
// running counts stay in registers.
// Clang 14 clones neither templates nor functions called from other files
// for targets; its build counts without popcnt.
#if defined(__clang__)
#define QV_POPCNT_CLONES
#else
#define QV_POPCNT_CLONES __attribute__((target_clones("popcnt", "default")))
#endif
template <int K>
QV_POPCNT_CLONES
void count_planes(const unsigned long long* x, const unsigned long long* y, size_t words, long long* n)
{
  for (int a = 0; a < K; a++) {
    long long acc[K] = {};
    for (size_t w = 0; w < words; w++) {
      const unsigned long long xa = x[w * K + a];
      for (int b = 0; b < K; b++)
        acc[b] += __builtin_popcountll(xa & y[w * K + b]);
    }
    for (int b = 0; b < K; b++)
      n[a * K + b] = acc[b];
  }
}

typedef void (*tPlaneCounter)(const unsigned long long*, const unsigned long long*, size_t, long long*);

#if defined(__x86_64__)
// Nucleotides on processors with a vector popcount: the four color words of
// one taxon in one register, against each color of the other in turn.
__attribute__((target("avx2,avx512f,avx512vl,avx512vpopcntdq")))
void count_planes4_vector(const unsigned long long* x, const unsigned long long* y, size_t words, long long* n)
{
  __m256i acc[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                    _mm256_setzero_si256()};
  for (size_t w = 0; w < words; w++, x += 4, y += 4) {
    const __m256i X = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x));
    for (int b = 0; b < 4; b++) {
      const __m256i Y = _mm256_set1_epi64x(static_cast<long long>(y[b]));
      acc[b] = _mm256_add_epi64(acc[b], _mm256_popcnt_epi64(_mm256_and_si256(X, Y)));
    }
  }
  alignas(32) long long lane[4];
  for (int b = 0; b < 4; b++) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(lane), acc[b]);
    for (int a = 0; a < 4; a++)
      n[a * 4 + b] = lane[a];
  }
}
#endif

tPlaneCounter plane_counter(int k, bool vector)
{
#if defined(__x86_64__)
  if (vector && k == 4 && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vpopcntdq"))
    return count_planes4_vector;
#endif
  switch (k) {
  case 1: return count_planes<1>;
  case 2: return count_planes<2>;
  case 3: return count_planes<3>;
  case 4: return count_planes<4>;
  case 5: return count_planes<5>;
  case 6: return count_planes<6>;
  case 7: return count_planes<7>;
  default: return count_planes<8>;
  }
}

} // namespace

void computeF(const tTaxaBlk* taxa, const tCharactersBlk* characters, const tAssumptionsBlk* assumptions,
              int i, int j, double** F)
{
  (void)taxa;
  const int k = characters->ncolors;
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      F[a][b] = 0.0;

  const unsigned char* x = characters->get_row(i);
  const unsigned char* y = characters->get_row(j);
  const int nchar = characters->get_nchar();
  for (int c = 1; c <= nchar; c++) {
    if (!characters->get_mask(c))
      continue;
    const int a = characters->symbols2colors[x[c]];
    const int b = characters->symbols2colors[y[c]];
    if (a >= 1 && a <= k && b >= 1 && b <= k)
      F[a][b] += 1.0;
  }
  normalise(characters, assumptions, F);
}

tPairCounter::tPairCounter(const tCharactersBlk* characters, bool vector)
  : k(characters->ncolors)
{
  const std::vector<int> sites = active_sites(characters);
  nsites = static_cast<int>(sites.size());
  const int ntax = characters->get_ntax();
  use_planes = k >= 1 && k <= MAX_PLANE_COLORS;
  if (use_planes) {
    words = (static_cast<size_t>(nsites) + 63) / 64;
    plane_count = plane_counter(k, vector);
    planes.assign(static_cast<size_t>(ntax + 1) * k * words, 0);
    for (int t = 1; t <= ntax; t++) {
      const unsigned char* row = characters->get_row(t);
      // data() + offset: with no active site the table is empty.
      unsigned long long* plane = planes.data() + static_cast<size_t>(t) * k * words;
      for (int s = 0; s < nsites; s++) {
        const int a = characters->symbols2colors[row[sites[s]]];
        if (a >= 1 && a <= k)
          plane[static_cast<size_t>(s / 64) * k + (a - 1)] |= 1ULL << (s % 64);
      }
    }
  } else {
    colors.assign(static_cast<size_t>(ntax + 1) * nsites, 0);
    for (int t = 1; t <= ntax; t++) {
      const unsigned char* row = characters->get_row(t);
      for (int s = 0; s < nsites; s++) {
        const int a = characters->symbols2colors[row[sites[s]]];
        colors[static_cast<size_t>(t) * nsites + s] = static_cast<unsigned char>(a >= 1 && a <= k ? a : 0);
      }
    }
  }
}

void tPairCounter::count(int i, int j, double** F) const
{
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      F[a][b] = 0.0;
  if (use_planes) {
    long long n[MAX_PLANE_COLORS * MAX_PLANE_COLORS];
    plane_count(planes.data() + static_cast<size_t>(i) * k * words, planes.data() + static_cast<size_t>(j) * k * words, words,
                n);
    for (int a = 1; a <= k; a++)
      for (int b = 1; b <= k; b++)
        F[a][b] = static_cast<double>(n[(a - 1) * k + (b - 1)]);
    return;
  }
  std::vector<long long> n(static_cast<size_t>(k + 1) * (k + 1), 0);
  const unsigned char* x = colors.data() + static_cast<size_t>(i) * nsites;
  const unsigned char* y = colors.data() + static_cast<size_t>(j) * nsites;
  for (int s = 0; s < nsites; s++)
    n[static_cast<size_t>(x[s]) * (k + 1) + y[s]]++;
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      F[a][b] = static_cast<double>(n[static_cast<size_t>(a) * (k + 1) + b]);
}

QV_POPCNT_CLONES
long long count_common_bits(const unsigned long long* x, const unsigned long long* y, size_t words)
{
  long long n = 0;
  for (size_t w = 0; w < words; w++)
    n += __builtin_popcountll(x[w] & y[w]);
  return n;
}

void computeF(const tPairCounter& counter, const tCharactersBlk* characters, const tAssumptionsBlk* assumptions,
              int i, int j, double** F)
{
  counter.count(i, j, F);
  normalise(characters, assumptions, F);
}

int compute_pair_distances(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                           tDistancesBlk* distances, double (*distance)(int k, double** F, int* warned))
{
  int warned = 0;
  const int k = characters->ncolors;
  tSquareMatrix F(k);
  const tPairCounter counter(characters);
  const int ntax = taxa->get_ntax();
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      computeF(counter, characters, assumptions, i, j, F.rows());
      distances->set_matrix(j, i, distance(k, F.rows(), &warned));
    }
  return 1;
}
