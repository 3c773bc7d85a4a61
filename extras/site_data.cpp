#include "extras/site_data.h"

#include <cstring>

#include "blocks/blk_characters.h"

tSiteData site_data(const tCharactersBlk* characters)
{
  tSiteData data;
  data.ntax = characters->get_ntax();
  data.ncolors = characters->ncolors;
  data.gap = characters->gap;
  std::memcpy(data.colors, characters->symbols2colors, sizeof data.colors);
  const int nchar = characters->get_nchar();
  for (int c = 1; c <= nchar; c++)
    if (characters->get_mask(c))
      data.positions.push_back(c);
  data.rows.resize(static_cast<size_t>(data.ntax) + 1);
  for (int t = 1; t <= data.ntax; t++) {
    const unsigned char* row = characters->get_row(t);
    std::vector<unsigned char>& out = data.rows[static_cast<size_t>(t)];
    out.reserve(data.positions.size());
    for (int c : data.positions)
      out.push_back(row[c]);
  }
  return data;
}
