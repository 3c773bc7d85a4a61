// LogDet (paralinear) distances: the determinant of each pair's frequency
// matrix, corrected by the two taxa's state compositions.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// The distance of one pair over k states: F its frequency matrix, Pi and Pj
// the products of the two taxa's state frequencies. False, with *d left
// alone, when the pair has no finite distance: a singular F, or a
// composition without some state (Pi or Pj not positive).
bool logdet_distance(int k, double** F, double Pi, double Pj, double* d);

// A singular pair gets the distance 1.0: the first with a warning, later
// ones in the log. So does every pair of a taxon that lacks a state
// entirely, whose own composition is reported once as well. Always 1.
int computeLogDet(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                  tDistancesBlk* distances);
