// The splits graph as an Encapsulated PostScript page: edges (the marked
// split two points wide), vertices and taxon labels in blue, split labels
// in red, and a scale bar when edges are drawn to scale.
#pragma once

#include <vector>

class tSplitsGraphBlk;
class tSplitsBlk;
class tTaxaBlk;

// Writes the page to filename; 1 when written, 0 when the block holds no
// graph or the file could not be written. An automatic scale is remembered,
// negated, in the block's zoom, so that later zoom steps start from it.
// support: the bootstrap support per split (hundredths of a percent,
// entries 1..nsplits), or null when none has been computed.
int draw_ps(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
            const std::vector<int>* support, const char* info, const char* filename, const char* title);
