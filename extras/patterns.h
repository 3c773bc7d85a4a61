// Site patterns: how many sites show each distinct column of states over a
// chosen list of taxa. The divergence and clock tests sum over patterns
// rather than sites.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

class tPatterns {
public:
  // Columns of m states, each in 1..ncolors.
  tPatterns(int m, int ncolors);

  // column[1..m]; entry 0 is unused. A state outside 1..ncolors is a
  // programming error.
  void insert(const std::vector<int>& column);
  int get_m() const { return m; }
  // Number of distinct patterns inserted.
  int get_npatterns() const { return static_cast<int>(counts.size()); }
  // Calls f(column, count) once per distinct pattern, column[1..m].
  template <class F> void for_each(F f) const
  {
    std::vector<int> column(static_cast<size_t>(m) + 1, 0);
    for (const auto& entry : counts) {
      for (int i = 1; i <= m; i++)
        column[static_cast<size_t>(i)] = entry.first[static_cast<size_t>(i - 1)];
      f(column, entry.second);
    }
  }

private:
  int m;
  int ncolors;
  // An ordered map of the columns keeps memory to one byte per taxon and
  // pattern, whatever the number of states.
  std::map<std::vector<unsigned char>, int> counts;
};
