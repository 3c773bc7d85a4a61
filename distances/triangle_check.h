// The triangle-inequality check of a distance matrix: the largest excess
// d(j,k) - d(i,j) - d(i,k) over every i and every j < k, in one pass.
#pragma once

#include <cstddef>
#include <vector>

struct tTriple {
  int i, j, k;
};

// d is row-major with rows and columns 0..n (0 unused), `stride` entries a
// row; an unknown distance is +inf and a triple holding one is passed over.
// Returns the largest excess, starting from 0; when it is above
// `report_above`, *worst holds the triples that reach it, in the order i, j,
// k of the loops.
double worst_triangle_excess(const double* d, int n, size_t stride, double report_above, std::vector<tTriple>* worst);
