// DISTANCES block: a symmetric matrix of pairwise distances between the
// active taxa, read from NEXUS or computed from the characters by the
// transform the assumptions name. An unknown distance is +infinity.
//
//   command                                         field(s)                              bits
//   DIMENSIONS [NEWTAXA] [NTAX=n] [NCHAR=m];        (checked only)                        -
//   FORMAT [TRIANGLE={LOWER|UPPER|BOTH}]            triangle                              -
//          [[NO] DIAGONAL] [[NO] LABELS]            diagonal, labels
//          [MISSING=c] [NO INTERLEAVE];             missing, interleave
//   [NO] FORCE_METRIC [: OFFSET=x];                 force_triangle_ineq, offset_triangle_ineq -
//   MATRIX rows;                                    matrix, _valid                        -
//   END;
//
// Every read starts from the default format and no forcing: each block
// describes itself. compute() restricts to the active taxa on bit 1 and
// recomputes from the characters on bit 4; both post 8, and bit 4 is cleared.
#pragma once

#include <cmath>
#include <string>
#include <vector>

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;

class tDistancesBlk {
public:
  tDistancesBlk();
  ~tDistancesBlk();

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);
  // False when the transform was refused or failed.
  bool compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters);
  void set_active_taxa(tTaxaBlk* taxa);

  int get_ntax() const { return ntax; }
  // Entries 1..ntax; an index outside is a programming error (fatal).
  double get_matrix(int i, int j) const { return matrix[index(i, j)]; }
  // Stores the value at [i][j] and [j][i].
  void set_matrix(int i, int j, double value);

  bool forcing_metric() const { return force_triangle_ineq != 0; }
  double get_offset() const { return offset_triangle_ineq; }

  // The stored value of a distance nobody knows.
  static constexpr double UNKNOWN = HUGE_VAL;

private:
  int force_triangle_ineq = 0;
  std::string triangle = "LOWER";
  int diagonal = 1;
  int labels = 1;
  int missing = '?';
  int interleave = 0;
  int ntax = 0;
  std::vector<double> matrix;  // (ntax+1)^2, row-major; row and column 0 unused
  double offset_triangle_ineq = 0.0;
  int _valid = 0;
  int ntax_orig = 0;
  std::vector<double> matrix_orig;  // (ntax_orig+1)^2; empty until the first restriction

  size_t index(int i, int j) const
  {
    if (i < 1 || j < 1 || i > ntax || j > ntax)
      out_of_range(i, j);
    return static_cast<size_t>(i) * static_cast<size_t>(ntax + 1) + static_cast<size_t>(j);
  }
  [[noreturn]] void out_of_range(int i, int j) const;
  int set_ntax(int n);
  bool set_char(int c, int* field);
  void reset_format();
  int read_dimensions(tNexusInput* in, const tTaxaBlk* taxa);
  int read_format(tNexusInput* in);
  int read_force_metric(tNexusInput* in, int on);
  int read_matrix(tNexusInput* in, tTaxaBlk* taxa);
  int read_matrix_interleave(tNexusInput* in, tTaxaBlk* taxa);
  void print_matrix(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void check_triangular_inequalities();
  void keep_in_full_matrix(const tTaxaBlk* taxa);
  bool columns(int i, int* first, int* last) const;
};
