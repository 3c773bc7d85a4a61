// Small square matrices of doubles over 1..n, as arrays of row pointers:
// entry 0 of the row array and of every row is unused. The caller owns a
// matrix from newMat and gives it back with freeMat.
#pragma once

// n + 1 row pointers; rows 1..n of n + 1 zeros each.
double** newMat(int n);
// Frees rows 1..n and the row array; a null matrix is ignored.
void freeMat(int n, double** M);
// B[i][j] = A[i][j] for i, j = 1..n.
void copyMat(int n, double** A, double** B);
// C = A B. C must be a matrix of its own, not A or B.
void multMat(int n, double** A, double** B, double** C);
// The product of the diagonal entries (1.0 for n < 1).
double traceMat(int n, double** M);
