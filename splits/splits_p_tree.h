// Parsimony splits tree (PTREE): as parsimony splits (splits_p.h), but a
// quartet's score subtracts the larger of the two competing site counts, so
// only splits that beat both alternatives stay and the system is compatible.
#pragma once

class tSet;
class tCharactersBlk;

// a1a2_b1b2 minus the larger other count, 0 when not positive.
int p_score_tree(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters);
// As p_index, with p_score_tree.
int p_index_tree(int gapmissingmode, int t, const tSet* A, const tCharactersBlk* characters);
