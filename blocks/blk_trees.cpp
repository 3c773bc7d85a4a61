#include "blocks/blk_trees.h"

#include <algorithm>
#include <unordered_map>

#include "blocks/blk_taxa.h"
#include "blocks/unused_commands.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"
#include "splits/consensus.h"

// How the leaves of this block's trees name taxa.
struct tLookup {
  std::unordered_map<std::string, int> labels;    // taxon labels of the full list
  std::unordered_map<std::string, int> translate; // key -> taxon (0: unknown label)
  bool has_translate = false;
  // While the block defines the taxa: their labels so far.
  bool defining = false;
  std::vector<std::string> defined;
  int ntax = 0;

  int by_label(const tTaxaBlk* taxa, const std::string& label)
  {
    const auto it = labels.find(label);
    if (it != labels.end())
      return it->second;
    // An underscore stands for a blank in an unquoted NEXUS word.
    for (int t = 1; t <= ntax; t++)
      if (same_nexus_label(taxa->getlabel_orig(t), label.c_str()))
        return t;
    return 0;
  }
  int define(const std::string& label)
  {
    const auto it = labels.find(label);
    if (it != labels.end())
      return it->second;
    defined.push_back(label);
    const int t = static_cast<int>(defined.size());
    labels.emplace(label, t);
    return t;
  }
};

namespace {

bool whole_number(const std::string& s, int* value)
{
  if (s.empty() || s.size() > 9)
    return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9')
      return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

void take_taxa(tTaxaBlk* taxa, tLookup* lookup)
{
  const int n = static_cast<int>(lookup->defined.size());
  taxa->define_from_matrix(n);
  for (int t = 1; t <= n; t++)
    taxa->setlabel(t, lookup->defined[static_cast<size_t>(t) - 1].c_str());
  lookup->ntax = n;
  lookup->defining = false;
  message("TREES: defined %d taxa\n", n);
}

} // namespace

bool tTreesBlk::compare_name(const char* name) const { return same_token(name, "TREES"); }

void tTreesBlk::show_usage() const
{
  message("BEGIN TREES;\n");
  message("    [TRANSLATE key_1 taxon_1, key_2 taxon_2, ... key_n taxon_n;]\n");
  message("    {TREE|UTREE} [*] name = [{[&R]|[&U]}] tree-in-Newick-format;\n");
  message("    ...\n");
  message("END;\n");
}

void tTreesBlk::show_info() const
{
  if (_valid)
    message("Valid TREES block: %d trees\n", get_ntrees());
  else
    message("No valid TREES block\n");
}

const tTreesBlk::tTree& tTreesBlk::get_tree(int n) const
{
  if (n < 1 || n > get_ntrees())
    error("tTreesBlk::get_tree (n=%d): out of range 1..%d", n, get_ntrees());
  return trees[static_cast<size_t>(n) - 1];
}

int tTreesBlk::read_translate(tNexusInput* in, tTaxaBlk* taxa, tLookup* lookup)
{
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  lookup->translate.clear();
  lookup->has_translate = true;
  for (;;) {
    if (!in->NextToken())
      return in->Error("TREES-translate", "Unexpected EOF");
    if (in->CompareCurrentToken(";") && !in->CurrentTokenQuoted())
      return 1;
    if (in->CompareCurrentToken(",") && !in->CurrentTokenQuoted())
      continue;
    const std::string key = in->CurrentToken();
    if (!in->NextToken() || (!in->CurrentTokenQuoted() && (in->CompareCurrentToken(";") || in->CompareCurrentToken(","))))
      return in->Error("TREES-translate", "Taxon label expected after %s", key.c_str());
    const std::string label = in->CurrentToken();
    const int t = lookup->defining ? lookup->define(label) : lookup->by_label(taxa, label);
    if (t == 0)
      message("TREES: TRANSLATE %s names no taxon: %s\n", key.c_str(), label.c_str());
    lookup->translate[key] = t;
    if (!in->NextToken() || in->CurrentTokenQuoted() ||
        !(in->CompareCurrentToken(",") || in->CompareCurrentToken(";")))
      return in->Error("TREES-translate", "Expected ',' or ';' after %s %s", key.c_str(), label.c_str());
    if (in->CompareCurrentToken(";"))
      return 1;
  }
}

int tTreesBlk::read_tree(tNexusInput* in, tTaxaBlk* taxa, tLookup* lookup, int number, int* refused)
{
  tTree entry;
  entry.utree = in->CompareCurrentToken("UTREE");
  {
    tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
    if (!in->NextToken())
      return in->Error("TREES-tree", "Unexpected EOF");
    if (in->CompareCurrentToken("*") && !in->CurrentTokenQuoted() && !in->NextToken())
      return in->Error("TREES-tree", "Unexpected EOF");
    if (in->CompareCurrentToken("=") && !in->CurrentTokenQuoted())
      return in->Error("TREES-tree", "Tree name expected");
    entry.name = in->CurrentToken();
    if (!in->CompareNextToken("="))
      return in->Error("TREES-tree", "Expected '=' after the name of tree %s", entry.name.c_str());
  }
  std::string text;
  if (!in->ReadRawToSemicolon(&text))
    return in->Error("TREES-tree", "Unexpected EOF in tree %s", entry.name.c_str());
  in->NextToken(); // the ";"

  const bool defining = lookup->defining;
  const size_t defined_before = lookup->defined.size();
  auto leaf = [&](const std::string& label) -> int {
    if (lookup->has_translate) {
      const auto it = lookup->translate.find(label);
      if (it != lookup->translate.end())
        return it->second;
    }
    if (defining)
      return lookup->define(label);
    if (const int t = lookup->by_label(taxa, label))
      return t;
    int t = 0;
    if (!lookup->has_translate && whole_number(label, &t) && t >= 1 && t <= lookup->ntax)
      return t;
    return 0;
  };
  std::string why;
  if (!read_newick(text, leaf, &entry.tree, &why)) {
    if (defining) {
      // The labels of a refused tree define nothing.
      for (size_t i = defined_before; i < lookup->defined.size(); i++)
        lookup->labels.erase(lookup->defined[i]);
      lookup->defined.resize(defined_before);
    }
    message("TREES: tree %s (number %d) refused: %s\n", entry.name.c_str(), number, why.c_str());
    (*refused)++;
    return 1;
  }
  if (defining && !lookup->has_translate)
    take_taxa(taxa, lookup);
  trees.push_back(std::move(entry));
  return 1;
}

int tTreesBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!in->CompareNextToken(";"))
    return in->Error("TREES", "Expected ';'");
  tLookup lookup;
  lookup.defining = !taxa->valid();
  if (!lookup.defining) {
    lookup.ntax = taxa->get_ntax_orig();
    for (int t = lookup.ntax; t >= 1; t--)
      lookup.labels[taxa->getlabel_orig(t)] = t;
  }
  const int before = get_ntrees();
  last_first = trees.size();
  last_incomplete = true;
  int number = 0, refused = 0;
  for (;;) {
    if (!in->NextToken())
      return in->Error("TREES", "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      break;
    if (in->CompareCurrentToken("TRANSLATE")) {
      if (!read_translate(in, taxa, &lookup))
        return 0;
      if (lookup.defining && !lookup.defined.empty())
        take_taxa(taxa, &lookup);
    } else if (in->CompareCurrentToken("TREE") || in->CompareCurrentToken("UTREE")) {
      if (!read_tree(in, taxa, &lookup, ++number, &refused))
        return 0;
    } else if (!skip_unused_command(in, "TREES")) {
      in->Warning("TREES", "%s command not implemented", in->CurrentToken());
      while (in->NextToken() && !(in->CompareCurrentToken(";") && !in->CurrentTokenQuoted())) {
      }
    }
  }
  last_incomplete = refused > 0;
  if (refused > 0) {
    warning("TREES: %d of %d trees refused (the log says why)", refused, number);
    note_failure();
  }
  if (get_ntrees() > 0)
    _valid = 1;
  message("TREES: Read %d trees\n", get_ntrees() - before);
  return 1;
}

void tTreesBlk::mark_last_read_verbatim()
{
  for (size_t i = last_first; i < trees.size(); i++)
    trees[i].verbatim = true;
}

int tTreesBlk::print(tNexusOutput* out, const tTaxaBlk* taxa, bool skip_verbatim) const
{
  if (!_valid) {
    message("No valid TREES block\n");
    return 0;
  }
  if (skip_verbatim && std::all_of(trees.begin(), trees.end(), [](const tTree& t) { return t.verbatim; }))
    return 1;
  const int ntax = taxa->get_ntax_orig();
  out->Print("BEGIN trees;\n");
  out->Print("    TRANSLATE\n");
  for (int t = 1; t <= ntax; t++)
    out->Print("        %d %s%s\n", t, nexus_label(taxa->getlabel_orig(t)).c_str(), t < ntax ? "," : "");
  out->Print("    ;\n");
  const auto leaf = [](int t) { return std::to_string(t); };
  for (const tTree& entry : trees) {
    if (skip_verbatim && entry.verbatim)
      continue;
    const char* rooting = entry.tree.rooting > 0 ? "[&R] " : entry.tree.rooting < 0 ? "[&U] " : "";
    out->Print("    %s %s = %s%s;\n", entry.utree ? "UTREE" : "TREE", nexus_label(entry.name.c_str()).c_str(), rooting,
               write_newick(entry.tree, leaf).c_str());
  }
  out->Print("END;\n");
  return 1;
}
