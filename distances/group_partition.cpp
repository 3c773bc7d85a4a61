#include "distances/group_partition.h"

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "core/message.h"

bool partition_groups(const tAssumptionsBlk* assumptions, int ntax, std::vector<int>* group, int* K)
{
  const std::vector<int>& p = assumptions->taxa_partition;
  // The reader refuses these transforms without a partition, but a later
  // TAXA_PARTITION=NONE can still take it away.
  bool ok = !p.empty() && static_cast<int>(p.size()) > ntax && p[0] >= 1;
  for (int t = 1; ok && t <= ntax; t++)
    ok = p[t] >= 1 && p[t] <= p[0];
  if (!ok) {
    warning("No TAXA_PARTITION specified");
    return false;
  }
  group->assign(p.begin(), p.begin() + ntax + 1);
  *K = p[0];
  return true;
}

void group_states(const tCharactersBlk* characters, const std::vector<int>& group, int K, int c,
                  std::vector<unsigned char>* state)
{
  state->assign(static_cast<size_t>(K) + 1, 0);
  const int ntax = static_cast<int>(group.size()) - 1;
  for (int t = 1; t <= ntax; t++) {
    const unsigned char s = characters->get_matrix(t, c);
    unsigned char& g = (*state)[group[t]];
    if (g == GROUP_VARIABLE || s == characters->missing || (characters->gap && s == characters->gap))
      continue;
    if (g == 0)
      g = s;
    else if (g != s)
      g = GROUP_VARIABLE;
  }
}

void set_group_distances(const std::vector<int>& group, const std::vector<std::vector<double>>& D,
                         tDistancesBlk* distances)
{
  const int ntax = static_cast<int>(group.size()) - 1;
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++)
      distances->set_matrix(i, j, group[i] == group[j] ? 0.0 : D[group[i]][group[j]]);
}
