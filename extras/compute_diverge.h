// Divergence between two groups of taxa: the mean proportion of sites at
// which a taxon of A and a taxon of B differ, over the sites where every
// taxon of both groups has a state.
#pragma once

#include "core/sets.h"

class tTaxaBlk;
class tCharactersBlk;
struct tSiteData;

struct tDiverge {
  tSet A, B;
  double d = 0.0;   // mean divergence
  double sd = 0.0;
  int n = 0;        // sites used
};

// Values given when no site (or no pair of taxa) can be compared.
constexpr double DIVERGE_NO_DATA = 1.0;
constexpr double DIVERGE_NO_SD = 1000000.0;

void compute_diverge(tDiverge* diverge, const tSiteData& sites);
void compute_diverge(tDiverge* diverge, const tTaxaBlk* taxa, const tCharactersBlk* characters);
