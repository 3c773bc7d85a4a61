// What the group-partition transforms share: the groups of the taxa
// partition, the state each group shows at a site, and the spreading of a
// distance table between groups over the pairs of taxa.
#pragma once

#include <vector>

class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// The group byte of a site that varies inside the group; 0 = no state yet.
constexpr unsigned char GROUP_VARIABLE = '[';

// group[t] in 1..K for active taxa t = 1..ntax, from the assumptions' taxa
// partition. False, with the warning a user needs, when there is no
// partition for these taxa.
bool partition_groups(const tAssumptionsBlk* assumptions, int ntax, std::vector<int>* group, int* K);

// state[g], g = 1..K, at site c: the state that all members of g with a
// state show there, GROUP_VARIABLE when they differ, 0 when none has one.
// Gap and missing states are passed over.
void group_states(const tCharactersBlk* characters, const std::vector<int>& group, int K, int c,
                  std::vector<unsigned char>* state);

inline bool group_constant(unsigned char state) { return state != 0 && state != GROUP_VARIABLE; }

// Distance of taxa i < j = D[group i][group j], 0 within a group.
void set_group_distances(const std::vector<int>& group, const std::vector<std::vector<double>>& D,
                         tDistancesBlk* distances);
