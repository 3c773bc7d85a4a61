// Linear solver of the least-squares edge weights.
#pragma once

// Solves M x = b (rows, columns and entries 1..n) for a symmetric positive
// definite M by the Cholesky factorisation M = L L^T, built in place in the
// lower triangle of M (M is overwritten; no pivoting). Returns 1 on success.
// A pivot that is not clearly positive (at most 1e-10 of its diagonal entry,
// or not a number) means M is singular or indefinite: the result is 0, x is
// left unspecified and *bad_row, when given, names the row.
int Cholesky_solve(double** M, const double* b, int n, double* x, int* bad_row = nullptr);
