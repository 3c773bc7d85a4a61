// Support of a group of taxa: the sites at which (nearly) all taxa of the
// group share a state that (nearly) no other taxon shows, and the sites at
// which the other taxa stand together in the same way. Gaps may count as
// any state (a joker) on either side, or as a state of their own.
#pragma once

#include <string>

#include "core/sets.h"

class tTaxaBlk;
class tCharactersBlk;
struct tSiteData;

struct tSupport {
  int deviation = 0;     // taxa of a group that may lack the state
  int convergence = 0;   // taxa outside a group that may show it
  tSet ingroup;
  tSet ingroup_positions, outgroup_positions;  // character numbers
  int ingroup_count = 0, outgroup_count = 0;
  std::string gapmode = "JOKER";  // JOKER, INGROUP_JOKER, OUTGROUP_JOKER or NEWSTATE
};

// The gap modes in upper case; null when `name` is none of them.
const char* support_gapmode(const char* name);

// Positions are character numbers 1..nchar.
void compute_support(tSupport* support, const tSiteData& sites, int nchar);
void compute_support(tSupport* support, const tTaxaBlk* taxa, const tCharactersBlk* characters);
