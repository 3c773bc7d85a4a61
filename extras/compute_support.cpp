#include "extras/compute_support.h"

#include <algorithm>
#include <vector>

#include "blocks/blk_characters.h"
#include "core/auxilary.h"
#include "extras/site_data.h"

const char* support_gapmode(const char* name)
{
  static const char* const modes[] = {"JOKER", "INGROUP_JOKER", "OUTGROUP_JOKER", "NEWSTATE"};
  for (const char* mode : modes)
    if (same_token(name, mode))
      return mode;
  return nullptr;
}

void compute_support(tSupport* support, const tSiteData& sites, int nchar)
{
  const std::string& mode = support->gapmode;
  // The tested group's joker lets a group's own gaps count towards its
  // state; the other group's joker lets the other side's gaps count against.
  const int tested_joker = mode == "JOKER" || mode == "INGROUP_JOKER";
  const int other_joker = mode == "JOKER" || mode == "OUTGROUP_JOKER";
  const bool newstate = mode == "NEWSTATE";
  const int N = sites.ntax;
  int k = 0;
  std::vector<bool> inside(static_cast<size_t>(N) + 1, false);
  for (int t = 1; t <= N; t++)
    if (support->ingroup.is_element(t)) {
      inside[static_cast<size_t>(t)] = true;
      k++;
    }
  const int dev = support->deviation;
  const int conv = support->convergence;

  support->ingroup_count = support->outgroup_count = 0;
  support->ingroup_positions.resize(nchar);
  support->ingroup_positions.make_emptyset();
  support->outgroup_positions.resize(nchar);
  support->outgroup_positions.make_emptyset();
  auto supports_ingroup = [&](int pos) {
    support->ingroup_count++;
    support->ingroup_positions.insert(pos);
  };
  auto supports_outgroup = [&](int pos) {
    support->outgroup_count++;
    support->outgroup_positions.insert(pos);
  };

  std::vector<int> in(static_cast<size_t>(sites.ncolors) + 1), out(in.size());
  for (int s = 0; s < sites.nsites(); s++) {
    const int pos = sites.positions[static_cast<size_t>(s)];
    std::fill(in.begin(), in.end(), 0);
    std::fill(out.begin(), out.end(), 0);
    int gin = 0, gout = 0;
    for (int t = 1; t <= N; t++) {
      const bool member = inside[static_cast<size_t>(t)];
      if (sites.is_gap(t, s))
        (member ? gin : gout)++;
      else if (const int x = sites.state(t, s))
        (member ? in : out)[static_cast<size_t>(x)]++;
    }
    if (newstate) {
      if (gin >= k - dev && gout <= conv)
        supports_ingroup(pos);
      if (gout >= (N - k) - dev && gin <= conv)
        supports_outgroup(pos);
    }
    for (int x = 1; x <= sites.ncolors; x++) {
      const int ix = in[static_cast<size_t>(x)], ox = out[static_cast<size_t>(x)];
      if (ix + tested_joker * gin >= k - dev && ox + other_joker * gout <= conv)
        supports_ingroup(pos);
      if (ox + tested_joker * gout >= (N - k) - dev && ix + other_joker * gin <= conv)
        supports_outgroup(pos);
    }
  }
}

void compute_support(tSupport* support, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  (void)taxa;
  compute_support(support, site_data(characters), characters->get_nchar());
}
