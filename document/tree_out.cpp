#include "document/tree_out.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"

namespace {

std::string number(double x)
{
  char text[64];
  std::snprintf(text, sizeof text, "%G", x);
  return text;
}

// A taxon label as a Newick name: quoted when a reader would otherwise
// split it or take part of it for structure.
std::string newick_label(const tTaxaBlk* taxa, int t)
{
  std::string label = std::to_string(t);
  if (taxa && t <= taxa->get_ntax() && taxa->getlabel(t))
    label = taxa->getlabel(t);
  bool quote = label.empty();
  for (char c : label)
    quote = quote || static_cast<unsigned char>(c) <= ' ' || c == 127 || std::strchr("()[]':;,", c) != nullptr;
  if (!quote)
    return label;
  std::string q = "'";
  for (char c : label) {
    if (c == '\'')
      q += '\'';
    q += c;
  }
  return q + "'";
}

struct tTreeWriter {
  bool with_lengths;
  const tTaxaBlk* taxa;
  const tSplitsSystem* splits;
  std::string text;

  double length(const tEdge* e) const { return with_lengths ? splits->get_weight(e->color) : 1.0; }

  // Taxa that sit on a vertex as zero-length leaves, so that neither taxa at
  // inner vertices nor taxa that share a leaf are lost or misplaced.
  void sitting_taxa(const tVertex* v, bool& first)
  {
    for (int t = v->taxa.first_element(0); t > 0; t = v->taxa.next_element(0, t)) {
      if (!first)
        text += ',';
      first = false;
      text += newick_label(taxa, t) + ":" + number(with_lengths ? 0.0 : 1.0);
    }
  }

  void vertex(const tEdge* from, const tVertex* v)
  {
    if (v->degree() == 1) {
      const int t0 = v->taxa.first_element(0);
      if (t0 <= 0)
        return;
      if (v->taxa.next_element(0, t0) <= 0) {
        text += newick_label(taxa, t0);
        return;
      }
      bool first = true;
      text += '(';
      sitting_taxa(v, first);
      text += ')';
      return;
    }
    text += '(';
    bool first = true;
    for (int i = 1; i <= v->degree(); i++) {
      const tEdge* e = v->edges().get(i);
      if (e == from)
        continue;
      if (!first)
        text += ',';
      first = false;
      vertex(e, e->other(v));
      text += ":" + number(length(e));
    }
    sitting_taxa(v, first);
    text += ')';
  }
};

// Whether every edge belongs to a split of the system: a graph read from a
// file may name more splits than the system holds.
bool colors_known(const tSplitsGraph& graph, const tSplitsSystem& system)
{
  for (const tEdge* e = graph.first_edge(); e; e = graph.next_edge(e))
    if (e->color < 1 || e->color > system.get_n())
      return false;
  return true;
}

} // namespace

int tree_out(const char* kind, tTaxaBlk* taxa, tSplitsBlk* splits, tSplitsGraphBlk* sgraph)
{
  const tSplitsSystem* system = splits->get_splits_system();
  if (!splits->valid() || !sgraph->valid() || !system || !colors_known(sgraph->get_graph(), *system)) {
    warning("show tree: invalid data");
    return 0;
  }
  const char* compatibility = splits->get_compatibility();
  if (!compatibility || !same_token(compatibility, "compatible")) {
    warning("show tree: split system not compatible");
    return 0;
  }
  const tSplitsGraph& graph = sgraph->get_graph();
  const tVertex* root = graph.first_vertex();
  while (root && root->degree() == 1)
    root = graph.next_vertex(root);
  if (!root) {
    warning("show tree;: No internal node\n");
    return 0;
  }
  tTreeWriter writer{!same_token(kind, "TREETOP"), taxa, system, std::string()};
  writer.vertex(nullptr, root);
  // The one report that goes to standard output: the tree is meant for
  // other programs.
  writer.text += ";\n";
  std::fputs(writer.text.c_str(), stdout);
  std::fflush(stdout);
  return 1;
}
