// QV_SPECTRA block: the spectra of the spectral analysis, one weight per
// bipartition of the taxa and per substitution type, read from and written
// as NEXUS and recomputed from the characters.
//
//   command                                   field(s)
//   DIMENSIONS [NTAX=n] [NSPECT=m];           ntax (checked), nspect, nsize; clears the spectra
//   FORMAT [[NO] LABELS] [[NO] WEIGHTS];      labels, weights
//   THRESHOLD=x;                              threshold (entries <= x read as 0)
//   PARAMETERS p_1 ... p_nspect;              parameters
//   [NO] LENTO;                               lento
//   MATRIX m rows;                            matrix[m], _valid
//
// Entry k (0 <= k < nsize = 2^(ntax-1)) of a spectrum stands for the split
// whose one side holds the taxa t < ntax with bit t-1 of k set; the last
// taxon is the reference on the other side. Rows with labels are "k [w],",
// without labels "[w]," for k = 0, 1, ...
//
// Update bits: after a read the interpreter clears 64 and posts 8.
// compute() runs on 64 (method SPECTRAL or STREE), clears it, and posts 8
// when it produced spectra.
#pragma once

#include <cstddef>
#include <vector>

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;

class tSpectraBlk {
public:
  // Spectra are indexed by an int and split codes must fit into one.
  static constexpr int MAX_NTAX = 31;

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);
  // False when the spectral method asked for spectra that could not be
  // computed from the characters (too many taxa, data not DNA).
  bool compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters);

  // nspec zero spectra over n taxa, every parameter 1.0; the block is no
  // longer valid until spectra are read or computed.
  void set_ntax_nspect(int n, int nspec);
  void clear_matrix();
  // The combined value of entry k: sum of parameters[i] * matrix[i][k].
  double get_para_sum(int k) const;
  float get_threshold() const { return threshold; }
  int get_ntax() const { return ntax; }
  int get_nsize() const { return nsize; }
  int get_nspect() const { return nspect; }
  int get_lento() const { return lento; }
  // Entry k of spectrum m (1..nspect).
  float get_entry(int m, int k) const { return matrix[static_cast<size_t>(m)][static_cast<size_t>(k)]; }
  const std::vector<float>& get_parameters() const { return parameters; }

  int compute_kimura_spectra(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters);

private:
  float threshold = 0.0f;
  std::vector<float> parameters;  // 1..nspect
  int lento = 0;
  int ntax = 0;
  int nspect = 0;
  int nsize = 0;
  int labels = 1;
  int weights = 1;
  // matrix[m][k], m = 1..nspect, k = 0..nsize-1; entry 0 empty.
  std::vector<std::vector<float>> matrix;
  int _valid = 0;

  int read_dimensions(tNexusInput* in, const tTaxaBlk* taxa);
  int read_format(tNexusInput* in);
  int read_threshold(tNexusInput* in);
  int read_parameters(tNexusInput* in);
  int read_matrix(int m, tNexusInput* in);
  void print_matrix(int m, tNexusOutput* out) const;
};
