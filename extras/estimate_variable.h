// Estimate of the proportion of variable sites from quartets of taxa: for
// each quartet, one minus the proportion of sites on which all four agree,
// raised to what the products of p-distances across its three pairings
// suggest; the minimum, mean and spread over the quartets.
#pragma once

class tTaxaBlk;
class tCharactersBlk;
struct tSiteData;

struct tVariableEstimate {
  double min = 0.0, mean = 0.0, sd = 0.0;
  int quartets = 0;  // quartets evaluated; 0 leaves min, mean and sd at 0
  int sites = 0;     // active sites
};

// A fraction whose denominator is 0 stands for this.
constexpr double VARIABLE_NO_DATA = 100000.0;
// Seed of the reference generator for the random quartets, so that the same
// data give the same estimate on every run and machine.
constexpr unsigned VARIABLE_SEED = 1;

// Every quartet, each visited once per partner of its smallest taxon.
tVariableEstimate estimate_variable(const tSiteData& sites);
// n quartets a < b < c < d drawn with the reference generator, reseeded first.
tVariableEstimate estimate_variable_rand(const tSiteData& sites, int n);

// The same on a CHARACTERS block, with the result line in the log.
void estimate_variable(double& min, double& mean, double& sd, const tTaxaBlk* taxa,
                       const tCharactersBlk* characters);
void estimate_variable_rand(double& min, double& mean, double& sd, const tTaxaBlk* taxa,
                            const tCharactersBlk* characters, int n);
