// What the distance transforms share: the list of active sites and the
// pair-frequency matrix of two taxa's state colors.
#pragma once

#include <cstddef>
#include <vector>

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;

// A square matrix of doubles over 1..n (row and column 0 unused), handed to
// the numerical code as an array of row pointers.
class tSquareMatrix {
public:
  explicit tSquareMatrix(int n);
  tSquareMatrix(const tSquareMatrix&) = delete;
  tSquareMatrix& operator=(const tSquareMatrix&) = delete;
  int size() const { return n; }
  double** rows() { return row_pointers.data(); }
  double* operator[](int i) { return row_pointers[i]; }

private:
  int n;
  std::vector<double> cells;
  std::vector<double*> row_pointers;
};

// The sites c = 1..nchar for which the characters' mask is set, in order.
std::vector<int> active_sites(const tCharactersBlk* characters);

// F[a][b], a, b = 1..ncolors: the share of active sites at which taxon i has
// the state of color a and taxon j that of color b. Sites where either state
// has no color are not counted; with EXCLUDE CONSTANT n the constant-site
// frequencies come off the diagonal first. Without any counted site every
// entry is 1.0.
void computeF(const tTaxaBlk* taxa, const tCharactersBlk* characters, const tAssumptionsBlk* assumptions,
              int i, int j, double** F);

// The active sites of every active taxon, packed once so that each pair of
// taxa is compared without looking at the site mask again. Counts are exact
// integers, so the frequencies equal those of a plain loop over the sites.
class tPairCounter {
public:
  // `vector` = false keeps to the plain popcount, as on processors without
  // a vector one (for comparing the two).
  explicit tPairCounter(const tCharactersBlk* characters, bool vector = true);
  // F[a][b] = number of active sites where taxon i has color a and j color b.
  void count(int i, int j, double** F) const;

private:
  int k = 0;          // colors
  int nsites = 0;     // active sites
  size_t words = 0;   // 64-site words per color plane
  bool use_planes = false;
  void (*plane_count)(const unsigned long long*, const unsigned long long*, size_t, long long*) = nullptr;
  // Small alphabets: one bit plane per taxon and color, word w of color a
  // at t*k*words + w*k + a-1, so that one pass gives all k*k counts.
  std::vector<unsigned long long> planes;
  // Large alphabets: colors of the active sites, one row of nsites per taxon.
  std::vector<unsigned char> colors;
};

// As above, counting through a packer made once for all pairs.
void computeF(const tPairCounter& counter, const tCharactersBlk* characters, const tAssumptionsBlk* assumptions,
              int i, int j, double** F);

// The number of bits set in both x[0..words-1] and y[0..words-1].
long long count_common_bits(const unsigned long long* x, const unsigned long long* y, size_t words);

class tDistancesBlk;

// Sets the distance of every pair of active taxa to distance(k, F, &warned)
// of their pair frequencies F; warned starts at 0 for the whole matrix, so a
// transform warns once per computation. Always 1.
int compute_pair_distances(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                           tDistancesBlk* distances, double (*distance)(int k, double** F, int* warned));
