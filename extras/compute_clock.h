// Relative-rate test of a molecular clock: whether taxa t1 and t2 are
// equally far from an outgroup taxon t3.
#pragma once

class tTaxaBlk;
class tCharactersBlk;
struct tSiteData;

struct tClock {
  int t1 = 0, t2 = 0, t3 = 0;
  double d = 0.0;   // the rate difference, DELTA
  double sd = 0.0;
  int n = 0;        // sites used
};

constexpr double CLOCK_NO_SD = 100000.0;

void compute_test_clock(tClock* clock, const tSiteData& sites);
void compute_test_clock(tClock* clock, const tTaxaBlk* taxa, const tCharactersBlk* characters);
