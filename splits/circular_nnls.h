// Least-squares weights of the circular splits of one ordering of the taxa.
//
// The taxa sit at positions 0..n-1 of a circle. Gap a lies between
// positions a and a+1 (gap n-1 closes the circle), and a split is a pair of
// gaps a < b: one side holds the positions a+1..b. Every vector over splits
// or over pairs of positions is an n x n row-major array of which only the
// entries [a][b], a < b, are read or written.
//
// The split-weight-to-distance map A and its adjoint both follow an
// inclusion-exclusion recurrence over intervals, so each costs O(n^2) and no
// matrix over the n(n-1)/2 splits is ever formed.
#pragma once

#include <vector>

class tCircularSplits {
public:
  explicit tCircularSplits(int n) : n(n) {}
  int get_n() const { return n; }
  // Number of pairs of positions split (a, b) separates.
  double pairs(int a, int b) const { return static_cast<double>(b - a) * (n - (b - a)); }

  // d = A w: the distance between positions p < q is the total weight of
  // the splits that separate them.
  void distances(const double* w, double* d) const;
  // h = A^T y: for each split, the sum of y over the pairs it separates.
  void adjoint(const double* y, double* h) const;
  // The w with A w = d (A is invertible): half a second difference of d.
  void inverse(const double* d, double* w) const;

private:
  int n;
};

// Report of one least-squares solve, for tests and benchmarks.
struct tNnlsStats {
  int cg_iterations = 0;
  int active_set_rounds = 0;
  // Largest violation of the optimality conditions at the end, relative to
  // the largest distance.
  double kkt_violation = 0.0;
};

// Weights w >= 0 that minimise the sum over pairs p < q of
// ((A w)[p][q] - d[p][q])^2, d an n x n array over positions.
std::vector<double> circular_least_squares(int n, const std::vector<double>& d, tNnlsStats* stats = nullptr);
// The same by projected conjugate gradients alone: memory O(n^2) whatever
// the number of positive weights, but much slower. circular_least_squares
// falls back on it when too many weights are positive to factor.
std::vector<double> circular_least_squares_cg(int n, const std::vector<double>& d, tNnlsStats* stats = nullptr);
