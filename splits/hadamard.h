// The Sylvester-Hadamard transform of spectra over bipartitions: entry k of a
// vector of nsize = 2^m entries stands for the set of taxa whose bits are set
// in k, and H[i][j] = (-1)^(number of one-bits common to i and j).
#pragma once

// y = H x by the fast transform. x and y may be the same array: the
// transform then works in place, without a scratch copy. nsize must be a
// power of two.
void hadamard(int nsize, const float* x, float* y);
// y = H x / nsize: H is its own inverse up to the factor nsize.
void hadamard_inverse(int nsize, const float* x, float* y);
