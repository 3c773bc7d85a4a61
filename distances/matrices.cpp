#include "distances/matrices.h"

#include "core/memory.h"

double** newMat(int n)
{
  return alloc_double_array2(n < 0 ? 0 : n, n < 0 ? 0 : n);
}

void freeMat(int n, double** M)
{
  my_free_double2(n < 0 ? 0 : n, M);
}

void copyMat(int n, double** A, double** B)
{
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++)
      B[i][j] = A[i][j];
}

void multMat(int n, double** A, double** B, double** C)
{
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++) {
      double sum = 0.0;
      for (int k = 1; k <= n; k++)
        sum += A[i][k] * B[k][j];
      C[i][j] = sum;
    }
}

double traceMat(int n, double** M)
{
  double product = 1.0;
  for (int i = 1; i <= n; i++)
    product *= M[i][i];
  return product;
}
