#include "draw/labels.h"

#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "graph/sgraph.h"

namespace {

std::string taxon_name(const tTaxaBlk* taxa, int t)
{
  if (taxa && t <= taxa->get_ntax()) {
    const char* name = taxa->getlabel(t);
    if (name)
      return name;
  }
  return std::to_string(t);
}

} // namespace

tTaxonMode taxon_mode(const char* name)
{
  if (same_token(name, "NAMES"))
    return tTaxonMode::NAMES;
  if (same_token(name, "NUMBERS"))
    return tTaxonMode::NUMBERS;
  if (same_token(name, "BOTH"))
    return tTaxonMode::BOTH;
  return tTaxonMode::NONE;
}

tSplitMode split_mode(const char* name)
{
  static const struct {
    const char* name;
    tSplitMode mode;
  } modes[] = {{"NUMBERS", tSplitMode::NUMBERS}, {"VALUES", tSplitMode::VALUES},
               {"ANGLES", tSplitMode::ANGLES},   {"BOOTSTRAPS", tSplitMode::BOOTSTRAPS},
               {"NVALUES", tSplitMode::NVALUES}, {"NBOOTSTRAPS", tSplitMode::NBOOTSTRAPS}};
  for (const auto& m : modes)
    if (same_token(name, m.name))
      return m.mode;
  return tSplitMode::NONE;
}

std::string vertex_label(const tVertex& v, const tTaxaBlk* taxa, tTaxonMode mode)
{
  std::string label;
  for (int t = v.taxa.first_element(0); t > 0; t = v.taxa.next_element(0, t)) {
    if (!label.empty())
      label += ',';
    if (mode == tTaxonMode::NAMES)
      label += taxon_name(taxa, t);
    else if (mode == tTaxonMode::NUMBERS)
      label += std::to_string(t);
    else
      label += std::to_string(t) + ":" + taxon_name(taxa, t);
  }
  return label;
}

std::string split_label(const tSplitsGraphBlk& graph, int p, tSplitMode mode, const std::vector<int>* support)
{
  const bool has_support = support && p < static_cast<int>(support->size());
  const double boot = has_support ? (*support)[static_cast<size_t>(p)] * 0.01 : 0.0;
  switch (mode) {
  case tSplitMode::NUMBERS:
    return string_printf("%d", p);
  case tSplitMode::VALUES:
    return string_printf("%G", graph.get_split_length(p));
  case tSplitMode::ANGLES:
    return string_printf("%3.1f", static_cast<double>(static_cast<float>(graph.get_split_angle(p) * 0.1f)));
  case tSplitMode::BOOTSTRAPS:
    return has_support ? string_printf("%g", boot) : std::string();
  case tSplitMode::NVALUES:
    return string_printf("%d:%G", p, graph.get_split_length(p));
  case tSplitMode::NBOOTSTRAPS:
    return has_support ? string_printf("%d:%g", p, boot) : std::string();
  case tSplitMode::NONE:
    break;
  }
  return std::string();
}
