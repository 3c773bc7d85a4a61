// Least-squares edge weights: the weights w of a split system that best fit
// the distances in the model d(x, y) = sum of w_i over the splits i that
// separate x and y, by the normal equations (A^T W A) w = A^T W d. Ordinary
// least squares has W = 1 (LEAST_SQUARES); the Fitch-Margoliash weightings
// have W = 1/d (FM_POW1) and 1/d^2 (FM_POW2).
//
// The kernels take the distances as a matrix with rows and columns 1..ntax
// (double**, as tSquareMatrix hands it out); the members
// tSplitsSystem::OLS_isolation_indices and WLS_isolation_indices
// (splits_sys.h) are the adapters over the DISTANCES block.
#pragma once

#include <vector>

class tSet;
class tSplitsSystem;
class tSquareMatrix;

// Pairs x in A, y in B summed: d(x, y); W(x, y); d(x, y) * W(x, y). Pairs
// with W = 0 are left out of the last (they carry unknown distances).
double sum_distance(const tSet* A, const tSet* B, double** d);
double weighted_sum_distance(const tSet* A, const tSet* B, double** d, double** W);

// Number of taxon pairs separated by both split i and split j.
int cross_splits(const tSplitsSystem* s, int i, int j);
// Sum of W over the pairs separated by both.
double weighted_cross_splits(const tSplitsSystem* s, int i, int j, double** W);

// The normal equations: M (rows 1..nsplits) and b (entries 1..nsplits).
void AtA_Mat(const tSplitsSystem* s, tSquareMatrix& M);
void AtWA_Mat(const tSplitsSystem* s, double** W, tSquareMatrix& M);
void Atd_vec(const tSplitsSystem* s, double** d, std::vector<double>& b);
void AtWd_vec(const tSplitsSystem* s, double** d, double** W, std::vector<double>& b);

// Solves the normal equations with W, or with W = 1 when W is null, into
// w[1..nsplits]. Returns 0 when they are singular (the pairs do not
// determine every weight); *bad_split then names the first split found to
// depend on the others, and w is unchanged.
int least_squares_weights(const tSplitsSystem* s, double** d, double** W, std::vector<double>& w, int* bad_split);

// W for the Fitch-Margoliash weighting 1/d^fm_power. A distance below 1e-07
// gives the warning "Distance too small" once and counts as 1e-07; an
// unknown one gets W = 0 and is counted in *unknown.
void fm_weights(double** d, int n, int fm_power, tSquareMatrix& W, int* unknown);
