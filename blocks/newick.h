// Trees in Newick notation over numbered taxa: read from text, written back,
// and the splits they display.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct tTreeSplits;

// A tree as its nodes in preorder: node 0 is the root, every other node comes
// after its parent, and children keep the order in which they were written.
// Only the structure is kept, never the text: a few words per edge.
struct tNewickTree {
  std::vector<int> parent;    // parent[0] = -1
  std::vector<int> taxon;     // leaves: taxon number >= 1; inner nodes 0
  std::vector<double> length; // NaN where no length was written
  // Labels of inner nodes (support values and the like): node, text.
  std::vector<std::pair<int, std::string>> inner_labels;
  // A leading [&R] (1) or [&U] (-1) comment; 0 without one.
  int rooting = 0;

  int nodes() const { return static_cast<int>(parent.size()); }
};

// A leaf label's taxon number (>= 1), or 0 when it names no taxon.
using tTaxonLookup = std::function<int(const std::string&)>;

// Reads one tree from the text between "=" and ";". Comments are skipped
// (a leading [&R] or [&U] sets the rooting), labels may be quoted, lengths
// and inner labels are optional, nodes may have any number of children. On
// failure *error says why, naming the label when a taxon is unknown or
// repeated.
bool read_newick(const std::string& text, const tTaxonLookup& lookup, tNewickTree* tree, std::string* error);

// The tree as Newick text (without the ";"), each leaf written as leaf_text
// of its taxon and lengths with as many digits as they need to read back.
std::string write_newick(const tNewickTree& tree, const std::function<std::string(int)>& leaf_text);

// The splits of the tree's edges over taxa 1..ntax, where to_taxon maps the
// tree's taxon numbers to 1..ntax (0: left out; indices beyond it are left
// out too). `node_bits` is scratch space kept between calls.
void newick_splits(const tNewickTree& tree, const std::vector<int>& to_taxon, int ntax, tTreeSplits* out,
                   std::vector<uint64_t>* node_bits);

// A length as the shortest text that reads back to the same number.
std::string length_text(double x);
