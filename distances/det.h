// Determinants by Gaussian elimination with partial pivoting.
#pragma once

// A pivot smaller than this in magnitude makes a matrix singular.
constexpr double SINGULAR_PIVOT = 1e-5;

// Brings M (1..n, see matrices.h) to upper triangular form in place,
// exchanging rows by their pointers; *swaps counts the exchanges. 0 when a
// pivot falls below SINGULAR_PIVOT (M is then left part way), else 1.
int triangulate(int n, double** M, int* swaps);
// The determinant of M, 0.0 when it is singular or n < 1. M is not changed.
double detMat(int n, double** M);
