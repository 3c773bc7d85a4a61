// The active sites of a character matrix as plain data: what the side
// analyses read, so that they can be run on a matrix built by hand.
#pragma once

#include <vector>

class tCharactersBlk;

struct tSiteData {
  int ntax = 0;
  int ncolors = 0;
  int gap = 0;                  // byte of the gap symbol; 0 = none
  std::vector<int> positions;   // character number of each active site, in order
  // rows[t][k]: symbol byte of taxon t (1..ntax) at active site k (0-based); row 0 unused
  std::vector<std::vector<unsigned char>> rows;
  unsigned char colors[256] = {};  // byte -> state 1..ncolors; 0 = not a state

  int nsites() const { return static_cast<int>(positions.size()); }
  unsigned char symbol(int t, int k) const { return rows[t][k]; }
  // The state of taxon t at site k, 0 when it is none (gap, missing).
  int state(int t, int k) const { return colors[rows[t][k]]; }
  bool is_gap(int t, int k) const { return gap != 0 && rows[t][k] == gap; }
};

// The active sites of the active taxa of a valid CHARACTERS block.
tSiteData site_data(const tCharactersBlk* characters);
