#include "distances/compute_freq.h"

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "core/message.h"

tSquareMatrix::tSquareMatrix(int n)
  : n(n < 0 ? 0 : n),
    cells(static_cast<size_t>(this->n + 1) * static_cast<size_t>(this->n + 1), 0.0),
    row_pointers(static_cast<size_t>(this->n + 1), nullptr)
{
  for (int i = 0; i <= this->n; i++)
    row_pointers[i] = &cells[static_cast<size_t>(i) * static_cast<size_t>(this->n + 1)];
}

std::vector<int> active_sites(const tCharactersBlk* characters)
{
  std::vector<int> sites;
  const int nchar = characters->get_nchar();
  for (int c = 1; c <= nchar; c++)
    if (characters->get_mask(c))
      sites.push_back(c);
  return sites;
}

void computeF(const tTaxaBlk* taxa, const tCharactersBlk* characters, const tAssumptionsBlk* assumptions,
              int i, int j, double** F)
{
  (void)taxa;
  const int k = characters->ncolors;
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      F[a][b] = 0.0;

  const unsigned char* x = characters->get_row(i);
  const unsigned char* y = characters->get_row(j);
  const int nchar = characters->get_nchar();
  for (int c = 1; c <= nchar; c++) {
    if (!characters->get_mask(c))
      continue;
    const int a = characters->symbols2colors[x[c]];
    const int b = characters->symbols2colors[y[c]];
    if (a >= 1 && a <= k && b >= 1 && b <= k)
      F[a][b] += 1.0;
  }

  if (assumptions->exclude_constant >= 1) {
    for (int a = 1; a <= k; a++) {
      const double removed = characters->constant_freq[characters->colors2symbols[a]];
      F[a][a] -= removed;
      message("removing: %g\n", removed);
    }
  }

  double total = 0.0;
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      total += F[a][b];
  for (int a = 1; a <= k; a++)
    for (int b = 1; b <= k; b++)
      F[a][b] = total != 0.0 ? F[a][b] / total : 1.0;
}
