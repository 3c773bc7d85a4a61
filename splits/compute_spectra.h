// Spectral analysis under the three-substitution-type model: the pattern
// counts of the three two-class recodings of the sites (the s-vectors) are
// Hadamard-transformed, their logarithms taken entry by entry, and the
// inverse transform gives one spectrum per substitution type.
#pragma once

// Entry-wise function of a transformed vector: f(k, norm, r) gives out[k].
typedef float (*tSpectrumFunction)(int k, double norm, const float* r);

// out[k] = f(k, norm, in) for k = 0..nsize-1; in and out may be the same
// array as long as f reads only entry k.
void apply_function(int nsize, const float* in, float* out, double norm, tSpectrumFunction f);

// ln(r[k] / norm); -100 when the ratio is not positive. The first negative
// ratio since the last reset warns (a zero ratio never does).
float standard_func(int k, double norm, const float* r);
// Lets the next negative ratio warn again.
void reset_log_warning();

// Turns the pattern counts v[0..nsize) of norm sites, in place, into their
// spectrum: hadamard, standard_func, hadamard_inverse.
void spectrum_from_patterns(int nsize, float* v, double norm);

// Memory the spectra of ntax taxa need, nspect of them, in bytes.
double spectra_bytes(int ntax, int nspect);
// Whether that much memory can be had without starving the machine.
bool spectra_fit_in_memory(int ntax, int nspect);
