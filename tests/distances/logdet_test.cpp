// The square-matrix library and LogDet distances, the latter against a
// computation written out site by site.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/random.h"
#include "distances/det.h"
#include "distances/logdet.h"
#include "distances/matrices.h"
#include "tests/distances/transform_data.h"
#include "tests/support/capture.h"

namespace {

using tRows = std::vector<std::vector<double>>;

// A matrix of newMat filled from rows of values (entry [0] of each row unused).
struct tMat {
  int n;
  double** M;
  explicit tMat(const tRows& rows) : n(static_cast<int>(rows.size())), M(newMat(n))
  {
    for (int i = 1; i <= n; i++)
      for (int j = 1; j <= n; j++)
        M[i][j] = rows[i - 1][j - 1];
  }
  ~tMat() { freeMat(n, M); }
};

// The determinant by expansion along the first row.
double cofactor_det(const tRows& A)
{
  const size_t n = A.size();
  if (n == 1)
    return A[0][0];
  double det = 0.0;
  for (size_t c = 0; c < n; c++) {
    tRows minor;
    for (size_t r = 1; r < n; r++) {
      std::vector<double> row;
      for (size_t k = 0; k < n; k++)
        if (k != c)
          row.push_back(A[r][k]);
      minor.push_back(row);
    }
    det += (c % 2 ? -1.0 : 1.0) * A[0][c] * cofactor_det(minor);
  }
  return det;
}

int base(char c)
{
  const std::string bases = "ACGT";
  const size_t at = bases.find(c);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

// LogDet of two DNA rows, written out as the method reads: frequencies
// counted site by site, determinant by cofactor expansion.
double plain_logdet(const std::string& x, const std::string& y)
{
  tRows F(4, std::vector<double>(4, 0.0));
  std::vector<double> fx(4, 0.0), fy(4, 0.0);
  double n = 0, nx = 0, ny = 0;
  for (size_t s = 0; s < x.size(); s++) {
    const int a = base(x[s]), b = base(y[s]);
    if (a >= 0)
      fx[a]++, nx++;
    if (b >= 0)
      fy[b]++, ny++;
    if (a >= 0 && b >= 0)
      F[a][b]++, n++;
  }
  for (auto& row : F)
    for (double& v : row)
      v /= n;
  double Px = 1, Py = 1;
  for (int a = 0; a < 4; a++)
    Px *= fx[a] / nx, Py *= fy[a] / ny;
  return (0.5 * std::log(Px * Py) - std::log(std::fabs(cofactor_det(F)))) / 4;
}

} // namespace

TEST(Matrices, DeterminantAndDiagonalProduct)
{
  EXPECT_EQ(detMat(2, tMat({{0, 1}, {1, 0}}).M), -1.0);
  EXPECT_EQ(detMat(3, tMat({{1, 2, 3}, {2, 4, 6}, {0, 1, 1}}).M), 0.0);  // rank 2
  EXPECT_EQ(detMat(0, nullptr), 0.0);
  EXPECT_EQ(traceMat(3, tMat({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}).M), 1.0);
  EXPECT_EQ(traceMat(4, tMat({{.25, 0, 0, 0}, {0, .25, 0, 0}, {0, 0, .25, 0}, {0, 0, 0, .25}}).M), 0.00390625);

  // Random matrices of sizes for both code paths, against the cofactor
  // expansion where that is quick; the argument stays as it was.
  ref_srand(7);
  for (int n : {1, 2, 3, 4, 5, 9}) {
    tRows A(static_cast<size_t>(n), std::vector<double>(static_cast<size_t>(n)));
    for (auto& row : A)
      for (double& v : row)
        v = uniform() * 2 - 1;
    tMat m(A);
    const double det = detMat(n, m.M);
    if (n <= 5) {
      EXPECT_NEAR(det, cofactor_det(A), 1e-12 * (1 + std::fabs(det))) << n;
    }
    for (int i = 1; i <= n; i++)
      for (int j = 1; j <= n; j++)
        ASSERT_EQ(m.M[i][j], A[i - 1][j - 1]);
    // det(A A) = det(A)^2 ties the product to the determinant.
    tMat square(A);
    multMat(n, m.M, m.M, square.M);
    EXPECT_NEAR(detMat(n, square.M), det * det, 1e-11 * (1 + det * det)) << n;
  }
}

TEST(LogDet, AgreesWithTheFormulaOnUnequalCompositions)
{
  tCaptureScope cap;
  // Each taxon drifts from a common ancestor with a base composition of its
  // own, and has a few missing states.
  ref_srand(2024);
  const int ntax = 7, nchar = 400;
  std::string root(nchar, 'A');
  for (char& c : root)
    c = "ACGT"[ref_rand() % 4];
  tStrings rows;
  for (int t = 0; t < ntax; t++) {
    std::string row = root;
    const double bias = 0.1 * t;
    for (char& c : row) {
      const double r = uniform();
      if (r < 0.03)
        c = '?';
      else if (r < 0.25)
        c = uniform() < bias ? 'G' : "ACGT"[ref_rand() % 4];
    }
    rows.push_back(row);
  }
  tData data("DATATYPE=DNA", rows);
  data.compute("LOGDET");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_NE(cap.fe.logged.find("Computing DISTANCES from CHARACTERS (LogDet): ... done\n"), std::string::npos);
  EXPECT_TRUE(cap.fe.warnings.empty());
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      const double expected = plain_logdet(rows[i - 1], rows[j - 1]);
      EXPECT_NEAR(data.d(i, j), expected, 1e-12) << i << "," << j;
      EXPECT_GT(data.d(i, j), 0.0);
    }
}

TEST(LogDet, DegeneratePairsGetOneWithOneWarning)
{
  tCaptureScope cap;
  // t1 and t2 share no known site: F is all ones. t4 never has a T.
  tData data("DATATYPE=DNA", {"ACGT????", "????ACGT", "ACGTACGT", "ACGAACGA", "ACGTTCGA"});
  data.compute("LOGDET");
  ASSERT_TRUE(data.distances.valid());
  EXPECT_EQ(data.d(1, 2), 1.0);
  for (int t : {1, 2, 3, 5})
    EXPECT_EQ(data.d(t, 4), 1.0) << t;
  EXPECT_TRUE(std::isfinite(data.d(3, 5)));
  EXPECT_EQ(cap.fe.warnings, (tStrings{"LogDet: Taxon t4 has no state T: its distances are set to 1.0",
                                       "LogDet: Matrix is singular: F_(t=1,s=2)"}));
  // Later singular pairs are only logged.
  EXPECT_NE(cap.fe.logged.find("LogDet: Matrix is singular: F_(t=1,s=4)\n"), std::string::npos);

  // Each run warns again.
  data.compute("LOGDET");
  EXPECT_EQ(cap.fe.warnings.size(), 4u);
}
