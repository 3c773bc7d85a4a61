#include "extras/patterns.h"

#include "core/message.h"

tPatterns::tPatterns(int m_, int ncolors_) : m(m_ < 0 ? 0 : m_), ncolors(ncolors_)
{
  if (ncolors < 0 || ncolors > 255)
    error("tPatterns(m=%d, ncolors=%d): illegal number of states", m_, ncolors_);
}

void tPatterns::insert(const std::vector<int>& column)
{
  if (static_cast<int>(column.size()) < m + 1)
    error("tPatterns::insert: column of %d entries, %d expected", static_cast<int>(column.size()) - 1, m);
  std::vector<unsigned char> key(static_cast<size_t>(m));
  for (int i = 1; i <= m; i++) {
    const int x = column[static_cast<size_t>(i)];
    if (x < 1 || x > ncolors)
      error("tPatterns::insert: state %d outside 1..%d", x, ncolors);
    key[static_cast<size_t>(i - 1)] = static_cast<unsigned char>(x);
  }
  counts[key]++;
}
