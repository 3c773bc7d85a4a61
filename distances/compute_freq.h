// What the distance transforms share: the list of active sites and the
// pair-frequency matrix of two taxa's state colors.
#pragma once

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
