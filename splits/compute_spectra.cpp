#include "splits/compute_spectra.h"

#include <cmath>
#include <cstddef>
#include <unistd.h>

#include "blocks/blk_characters.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "splits/hadamard.h"

namespace {

// One warning per computation: a spectrum can hold millions of such entries.
int log_neg_arg_warned = 0;

} // namespace

void reset_log_warning() { log_neg_arg_warned = 0; }

float standard_func(int k, double norm, const float* r)
{
  const double x = r[k] / norm;
  if (x > 0)
    return static_cast<float>(std::log(x));
  if (x < 0 && !log_neg_arg_warned) {
    log_neg_arg_warned = 1;
    warning("log(%G): negative argument (no further warnings will be given)", x);
  }
  return -100.0f;
}

void apply_function(int nsize, const float* in, float* out, double norm, tSpectrumFunction f)
{
  for (int k = 0; k < nsize; k++)
    out[k] = f(k, norm, in);
}

void spectrum_from_patterns(int nsize, float* v, double norm)
{
  hadamard(nsize, v, v);
  apply_function(nsize, v, v, norm, standard_func);
  hadamard_inverse(nsize, v, v);
}

double spectra_bytes(int ntax, int nspect)
{
  if (ntax < 1 || nspect < 1)
    return 0.0;
  return std::ldexp(1.0, ntax - 1) * nspect * static_cast<double>(sizeof(float));
}

bool spectra_fit_in_memory(int ntax, int nspect)
{
  // Pages the system would otherwise have to take from running programs
  // (there may be no swap): the allocation would not fail, the program
  // would be killed while filling it.
  const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page <= 0)
    return true;
  return spectra_bytes(ntax, nspect) <= 0.75 * static_cast<double>(pages) * static_cast<double>(page);
}

int tSpectraBlk::compute_kimura_spectra(tTaxaBlk* taxa, tAssumptionsBlk*, tCharactersBlk* characters)
{
  reset_log_warning();
  const int n = taxa->get_ntax();
  if (characters->get_ntax() != n) {
    message(" the characters are not restricted to the %d active taxa\n", n);
    return 0;
  }
  if (!spectra_fit_in_memory(n, 3)) {
    message(" %d taxa need %.0f MB for the spectra, more than this computer can give\n", n,
            spectra_bytes(n, 3) / (1024.0 * 1024.0));
    return 0;
  }
  set_ntax_nspect(n, 3);
  // The spectra are computed where the pattern counts are: one array each.
  const double norm = characters->compute_s_vectors(nsize, matrix);
  message(" s1-3");
  if (norm == 0.0) {
    message(" no site has a nucleotide (a, c, g, t or u) in every taxon\n");
    clear_matrix();
    return 0;
  }
  for (int i = 1; i <= 3; i++) {
    float* v = matrix[static_cast<size_t>(i)].data();
    hadamard(nsize, v, v);
    message(" r%d", i);
    apply_function(nsize, v, v, norm, standard_func);
    message(" rho%d", i);
    hadamard_inverse(nsize, v, v);
    message(" gamma%d", i);
  }
  return 1;
}
