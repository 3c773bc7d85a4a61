#include "gui/gui_state.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/auxilary.h"
#include "core/sets.h"
#include "document/document.h"
#include "draw/tcltk_draw.h"
#include "nexus/nexus.h"

namespace {

std::string flag(bool on) { return on ? "1" : "0"; }

std::string number(int n) { return std::to_string(n); }

std::string upper(const std::string& s)
{
  std::string u = s;
  for (char& c : u)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

bool tcl_special(char c)
{
  return std::strchr("[]{}\"\\$;", c) != nullptr || std::isspace(static_cast<unsigned char>(c));
}

// The excluded characters as runs ("1-3 5"), the form the characters
// window shows and EXSET reads back.
std::string exset_text(const std::vector<char>& exset)
{
  if (exset.size() < 2)
    return std::string();
  tSet S(static_cast<int>(exset.size()) - 1);
  for (size_t c = 1; c < exset.size(); c++)
    if (exset[c])
      S.insert(static_cast<int>(c));
  tNexusOutput out;
  out.OpenString();
  print_set(&out, &S);
  std::string text = out.GetString();
  return text.empty() ? text : text.substr(1);
}

std::string taxa_active(const tTaxaBlk& taxa)
{
  std::string text;
  for (int t = 1; t <= taxa.get_ntax(); t++)
    text += " [" + number(t) + "]" + tcl_nexus_label(taxa.getlabel(t));
  return text;
}

std::string taxa_hidden(const tTaxaBlk& taxa)
{
  const int n = taxa.get_ntax_orig();
  if (taxa.get_ntax() >= n)
    return std::string();
  std::vector<char> active(static_cast<size_t>(n) + 1, 0);
  for (int t = 1; t <= taxa.get_ntax(); t++) {
    const int o = taxa.get_tax2orig(t);
    if (o >= 1 && o <= n)
      active[static_cast<size_t>(o)] = 1;
  }
  std::string text;
  for (int o = 1; o <= n; o++)
    if (!active[static_cast<size_t>(o)])
      text += " " + tcl_nexus_label(taxa.getlabel_orig(o));
  return text;
}

std::string cycle(const tSplitsBlk& splits)
{
  const tSplitsSystem* sys = splits.get_splits_system();
  if (!sys || !sys->has_cycle())
    return std::string();
  std::string text;
  for (size_t i = 1; i < sys->cycle.size(); i++)
    text += " " + number(sys->cycle[i]);
  return text;
}

// "split_s" followed by a split number: its weight, support and smaller side.
std::string split_description(const tDocument& doc, const std::string& num)
{
  if (num.empty() || num.size() > 9 || num.find_first_not_of("0123456789") != std::string::npos)
    return std::string();
  const int s = std::atoi(num.c_str());
  const tSplitsSystem* sys = doc.splits->valid() ? doc.splits->get_splits_system() : nullptr;
  if (!sys || s < 1 || s > sys->get_n())
    return std::string();
  std::string text = string_printf("Weight: %g ", sys->get_weight(s));
  if (doc.bootstrap->valid()) {
    const std::vector<int>* support = bootstrap_support(doc);
    const double value = support && s < static_cast<int>(support->size()) ? (*support)[static_cast<size_t>(s)] : 0;
    text += string_printf("Bootstrap: %g\n", value * 0.01);
  }
  text += "Set:";
  const int ntax = doc.taxa->get_ntax();
  const tSet* split = sys->get_split(s);
  const bool complement = split->size() > ntax / 2;
  tSet side(ntax);
  for (int t = 1; t <= ntax; t++)
    if (split->is_element(t) != complement)
      side.insert(t);
  tNexusOutput out;
  out.OpenString();
  print_set(&out, &side);
  return text + out.GetString() + "\n";
}

} // namespace

std::string tcl_nexus_label(const std::string& label)
{
  std::string quoted = "'";
  for (char c : label) {
    if (c == '\'')
      quoted += '\'';
    quoted += c;
  }
  quoted += '\'';
  std::string out;
  for (char c : quoted) {
    if (tcl_special(c))
      out += '\\';
    out += c;
  }
  return out;
}

const std::vector<int>* bootstrap_support(const tDocument& doc)
{
  return doc.bootstrap->get_support();
}

tStateAnswer gui_state(tDocument& doc, const std::string& key)
{
  const tAssumptionsBlk& a = *doc.assumptions;
  const bool av = a.valid();
  const tSplitsGraphBlk& g = *doc.sgraph;
  tStateAnswer r;
  if (key == "taxa")
    r.text = flag(doc.taxa->valid());
  else if (key == "characters")
    r.text = flag(doc.characters->valid());
  else if (key == "distances")
    r.text = flag(doc.distances->valid());
  else if (key == "qv_splits")
    r.text = flag(doc.splits->valid());
  else if (key == "qv_graph")
    r.text = flag(g.valid());
  else if (key == "trees")
    r.text = flag(doc.trees->valid());
  else if (key == "consensus_threshold")
    r.text = av ? string_printf("%G", a.consensus_threshold) : "0.33";
  else if (key == "consensus_weight")
    r.text = av ? upper(a.consensus_weight) : "FREQUENCY";
  else if (key == "qv_spectra")
    r.text = flag(doc.spectra->valid());
  else if (key == "qv_assumptions")
    r.text = flag(av);
  else if (key == "qv_bootstrap")
    r.text = flag(doc.bootstrap->valid());
  else if (key == "exclude_gaps")
    r.text = flag(av && a.exclude_gaps);
  else if (key == "exclude_missing")
    r.text = flag(av && a.exclude_missing);
  else if (key == "exclude_nonparsimony")
    r.text = flag(av && a.exclude_nonparsimony);
  else if (key == "exclude_constant")
    r.text = av ? number(a.exclude_constant) : "0";
  else if (key == "codon1")
    r.text = flag(!(av && a.exclude_codon1));
  else if (key == "codon2")
    r.text = flag(!(av && a.exclude_codon2));
  else if (key == "codon3")
    r.text = flag(!(av && a.exclude_codon3));
  else if (key == "codon_offset")
    r.text = av ? number(a.codon_offset) : "";
  // Names are kept as the user typed them; the script compares upper case.
  else if (key == "transform")
    r.text = av ? upper(a.transform) : "NONE";
  else if (key == "edge_transform")
    r.text = av ? upper(a.edge_transform) : "NONE";
  else if (key == "method")
    r.text = av ? upper(a.method) : "NONE";
  else if (key == "force_metric")
    r.text = flag(doc.distances->valid() && doc.distances->forcing_metric());
  else if (key == "ntax")
    r.text = doc.taxa->valid() ? number(doc.taxa->get_ntax()) : "0";
  else if (key == "taxa_active")
    r.text = doc.taxa->valid() ? taxa_active(*doc.taxa) : "";
  else if (key == "taxa_hidden")
    r.text = doc.taxa->valid() ? taxa_hidden(*doc.taxa) : "";
  else if (key == "mark")
    r.text = g.valid() && g.get_mark() >= 1 ? "s" + number(g.get_mark()) : "0";
  else if (key == "exset")
    r.text = av ? exset_text(a.exset) : "";
  else if (key == "bootstrap_runs")
    r.text = doc.bootstrap->valid() ? number(doc.bootstrap->get_runs()) : "";
  else if (key == "cycle")
    r.text = doc.splits->valid() ? cycle(*doc.splits) : "";
  else if (key == "taxlabels")
    r.text = g.valid() ? g.get_taxlabels() : "NONE";
  else if (key == "splitlabels")
    r.text = g.valid() ? g.get_splitlabels() : "NONE";
  else if (key == "to_scale")
    r.text = flag(g.valid() && g.get_to_scale());
  else if (key == "info_string")
    r.text = doc.short_info_string();
  else if (key == "scalebar") {
    if (doc.splits->get_nsplits() > 0 && g.valid() && g.get_to_scale()) {
      r.text = string_printf("%g", scalebar_tcltk(g));
      r.text += string_printf(" %g", g.get_scalebar());
    }
  } else if (key == "canvas_origin") {
    // Where the world origin lies on the canvas: zooming about the pointer
    // scales the picture about this point.
    if (g.valid()) {
      const tDrawTransform t = canvas_transformation(g);
      r.text = string_printf("%g %g", t.hh(0, 0), t.vv(0, 0));
    }
  } else if (key.compare(0, 7, "split_s") == 0)
    r.text = split_description(doc, key.substr(7));
  else {
    r.ok = false;
    r.text = "Unknown key: " + key;
  }
  return r;
}
