// Split decomposition of a distance matrix. Taxa are added one at a time;
// every split of the taxa seen so far is extended by the new taxon on either
// side and kept while its index with the new taxon stays above
// SPLIT_WEIGHT_BOUND. The isolation index gives split decomposition, the
// Buneman index (buneman_tree.h) the Buneman tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
// split in that split's order. The candidates of a level are scanned on
// computation_threads() threads; the result does not depend on how many.
void incremental_splits(tSplitsSystem* splits, const tDistancesBlk* distances, tSplitIndex index);

// The distances copied once into a flat row-major matrix (ntax+1)^2.
struct tFlatDistances {
  size_t stride = 0;
  std::vector<double> dist;
  bool tame = true; // no distance unknown, NaN or near overflow

  tFlatDistances(const tDistancesBlk* distances, int ntax);
  const double* row(int x) const { return dist.data() + static_cast<size_t>(x) * stride; }
};

// Scans the quartets (t, a1 | b1, b2), a1 in A and b1 <= b2 in B, of a
// candidate split A | B of 1..t with t in A. The index is a minimum over the
// quartets and any rejecting quartet rejects, so the order of the scan does
// not change the result; the scan uses that three ways:
// - the quartets that rejected the last candidates of the level are tried
//   first, since a wrong extension is usually rejected by the same few;
// - only the smaller side is listed; the larger one is run over whole
//   distance rows with the other side's members masked out, so nothing is
//   gathered: each pair b1 <= b2 over every a1 when A is larger, each pair
//   a1, b1 over every b2 >= b1 otherwise;
// - with unknown distances, rows are gathered per a1 and scanned as the
//   indices define it.
// One scan is scratch for one thread; scans may share the distances.
class tQuartetScan {
public:
  tQuartetScan(const tDistancesBlk* distances, int ntax);
  explicit tQuartetScan(std::shared_ptr<const tFlatDistances> distances);

  // The indices of the candidate whose members are flagged by 1 in
  // inA[1..t] (the others 0; inA[t] is 1). A result that would not be above
  // `drop` may come back as 0.0 early: the caller drops such a candidate
  // anyway. size_a, when known, is the number of members; a_hint, when
  // known, a member other than t. With `parts` > 1 only part `part` of the
  // scan is done, so that threads can share one large candidate: the index
  // is then the minimum of the parts' results, or 0.0 when one is 0.0.
  double isolation(int t, const unsigned char* inA, double drop, int size_a = -1, int a_hint = 0, int part = 0,
                   int parts = 1);
  double buneman(int t, const unsigned char* inA, double drop, int size_a = -1, int a_hint = 0, int part = 0,
                 int parts = 1);
  // The taxa before t nearest to t (a few, nearest first; kept by the
  // caller): quartets with them are tried first on the candidates of level t.
  void set_near(int t, const int* taxa, size_t count);

private:
  struct tWitness {
    int a1, b1, b2;
  };
  std::shared_ptr<const tFlatDistances> flat;
  std::vector<int> A, B;     // members of the two sides, increasing
  std::vector<double> dtB;   // d(t, B[k])
  std::vector<double> daB;   // d(a1, B[k]) for the current a1
  std::vector<double> dBB;   // d(B[i], B[k]) for k >= i, row i at i*|B|
  std::vector<double> mask;  // +inf on the listed (smaller) side, 0 on the other, over 0..t
  size_t rows_ready = 0;     // rows of dBB gathered for this candidate
  int witness_level = 0;
  std::vector<tWitness> witnesses; // most recent first
  int near_level = 0;
  const int* near = nullptr;
  size_t near_count = 0;

  const double* row(int x) const { return flat->row(x); }
  template <bool buneman>
  double scan(int t, const unsigned char* inA, double drop, int size_a, int a_hint, int part, int parts);
  template <bool buneman> double scan_rows(int t, double drop);
  template <bool buneman> double scan_pairs(int t, const unsigned char* inA, double drop, int part, int parts);
  template <bool buneman>
  double scan_full_rows(int t, const unsigned char* inA, double drop, int part, int parts);
  template <bool buneman> bool rejected_by_witness(int t, const unsigned char* inA, int a_hint);
  void remember(int t, int a1, int b1, int b2);
  void prepare(int t, const unsigned char* inA);
  void load_a1(int a1);
  const double* bb_row(size_t i);
};
