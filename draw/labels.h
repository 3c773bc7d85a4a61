// What the two renderers write beside vertices and bands: the label modes of
// the QV_GRAPH block and the texts they give.
#pragma once

#include <string>
#include <vector>

class tSplitsGraphBlk;
class tTaxaBlk;
class tVertex;

enum class tTaxonMode { NAMES, NUMBERS, BOTH, NONE };
enum class tSplitMode { NUMBERS, VALUES, ANGLES, BOOTSTRAPS, NVALUES, NBOOTSTRAPS, NONE };

// The mode named by the block's TAXLABELS / SPLITLABELS setting (any case);
// anything else is NONE.
tTaxonMode taxon_mode(const char* name);
tSplitMode split_mode(const char* name);

// The taxa of a vertex in ascending order, joined by ",", in the given mode.
std::string vertex_label(const tVertex& v, const tTaxaBlk* taxa, tTaxonMode mode);

// The label of split p; empty for a bootstrap mode without a support value.
// support holds hundredths of a percent per split (may be null).
std::string split_label(const tSplitsGraphBlk& graph, int p, tSplitMode mode, const std::vector<int>* support);
