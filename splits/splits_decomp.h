// Split decomposition of a distance matrix. Taxa are added one at a time;
// every split of the taxa seen so far is extended by the new taxon on either
// side and kept while its index with the new taxon stays above
// SPLIT_WEIGHT_BOUND. The isolation index gives split decomposition, the
// Buneman index (buneman_tree.h) the Buneman tree.
#pragma once

#include <cstddef>
#include <vector>

class tSet;
class tTaxaBlk;
class tDistancesBlk;
class tSplitsSystem;

// Splits whose weight is not above this are dropped by the distance methods.
constexpr double SPLIT_WEIGHT_BOUND = 0.000001;

// Isolation index of A with the newest taxon t: A is a set over at least
// 1..t that holds t; its complement within 1..t is the other side. Only the
// quartets through t are looked at: the older ones were checked when the
// split was kept at an earlier level. `taxa` is not consulted.
double iso_index(int t, const tSet* A, const tTaxaBlk* taxa, const tDistancesBlk* distances);

enum class tSplitIndex { isolation, buneman };

// Replaces the splits of `splits` (whose ntax is set) by those of the
// incremental scheme with the given index. The result's order: at each level
// the singleton of the new taxon first, then the two extensions of each older
// split in that split's order.
void incremental_splits(tSplitsSystem* splits, const tDistancesBlk* distances, tSplitIndex index);

// Scans the quartets (t, a1 | b1, b2), a1 in A and b1 <= b2 in B, of a
// candidate split A | B of 1..t with t in A. The distances are copied once
// into a flat matrix, and each candidate gathers the rows it reads into
// short contiguous ones, so the inner loop runs over plain arrays. The
// index is a minimum over the quartets, so the order of the scan does not
// change the result.
class tQuartetScan {
public:
  tQuartetScan(const tDistancesBlk* distances, int ntax);

  // The indices of the candidate whose members are flagged in inA[1..t]
  // (inA[t] non-zero). A result that would not be above `drop` may come back
  // as 0.0 early: the caller drops such a candidate anyway.
  double isolation(int t, const unsigned char* inA, double drop);
  double buneman(int t, const unsigned char* inA, double drop);

private:
  size_t stride;
  std::vector<double> dist;  // (ntax+1)^2, row-major
  bool tame = true;          // no distance unknown, NaN or near overflow
  std::vector<int> A, B;     // members of the two sides, increasing
  std::vector<double> dtB;   // d(t, B[k])
  std::vector<double> daB;   // d(a1, B[k]) for the current a1
  std::vector<double> dBB;   // d(B[i], B[k]) for k >= i, row i at i*|B|
  size_t rows_ready = 0;     // rows of dBB gathered for this candidate

  const double* row(int x) const { return dist.data() + static_cast<size_t>(x) * stride; }
  void prepare(int t, const unsigned char* inA);
  void load_a1(int a1);
  const double* bb_row(size_t i);
};
