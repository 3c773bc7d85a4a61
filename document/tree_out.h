// The splits graph of a compatible split system as a Newick tree on
// standard output.
#pragma once

class tTaxaBlk;
class tSplitsBlk;
class tSplitsGraphBlk;

// kind is TREE (with branch lengths) or TREETOP (topology only).
int tree_out(const char* kind, tTaxaBlk* taxa, tSplitsBlk* splits, tSplitsGraphBlk* sgraph);
