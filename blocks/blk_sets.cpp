#include "blocks/blk_sets.h"

#include <cstring>
#include <string>

#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "nexus/nexus.h"

namespace {

// A set name as NEXUS text. Names are read under the full punctuation, so a
// name holding any of it (only possible when it came quoted) is quoted again.
std::string set_name_text(const char* name)
{
  std::string text = nexus_label(name);
  if (text[0] != '\'' && std::strpbrk(name, tNexusInput::DEFAULT_PUNCTUATION))
    text = "'" + text + "'";
  return text;
}

// Reads "name = set ;" behind TAXSET or CHARSET and appends it to `list`.
int read_named_set(tNexusInput* in, const char* where, const char* usage, int max, tLabSets* list)
{
  if (!in->NextToken())
    return in->Error(where, "%s", usage);
  std::string name = in->CurrentToken();
  if (!in->CompareNextToken("="))
    return in->Error(where, "%s", usage);
  in->NextToken();
  tSet set;
  if (!read_set(in, &set, max, ";"))
    return in->Error(where, "Ilegal set: %s", name.c_str());
  list->append(name.c_str(), &set);
  return 1;
}

void print_named_sets(tNexusOutput* out, const char* command, const tLabSets& list)
{
  for (int i = 1; i <= list.get_n(); i++) {
    out->Print("    %s %s =", command, set_name_text(list.n2label(i)).c_str());
    print_set(out, list.n2set(i));
    out->Print("\n    ;\n");
  }
}

} // namespace

tSetsBlk::tSetsBlk() = default;
tSetsBlk::~tSetsBlk() = default;

bool tSetsBlk::compare_name(const char* name) const { return same_token(name, "SETS"); }

void tSetsBlk::show_usage() const
{
  message("BEGIN SETS;\n");
  message("    [CHARSET charset-name =character_set;]\n");
  message("    [TAXSET taxset-name =tax_set;]\n");
  message("END;\n");
}

int tSetsBlk::print(tNexusOutput* out, const tTaxaBlk* /*taxa*/) const
{
  if (!_valid) {
    message("No valid SETS block\n");
    return 0;
  }
  if (!out)
    return 0;
  out->Print("BEGIN sets;\n");
  print_named_sets(out, "CHARSET", charsets);
  print_named_sets(out, "TAXSET", taxsets);
  out->Print("END;\n");
  return 1;
}

int tSetsBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!taxa || !taxa->valid())
    return in->Error("SETS", "Must be preceeded by valid TAXA-block");
  if (!in->CompareNextToken(";"))
    return in->Error("SETS", "Missing ';'");
  // The definitions join the block only once all of it has been read: a
  // block refused half-way is kept in its own words instead, and saving it
  // twice over would double the sets read before the fault.
  tLabSets new_taxsets, new_charsets;
  for (;;) {
    if (!in->NextToken() || in->CurrentTokenIsEnd()) {
      for (int i = 1; i <= new_charsets.get_n(); i++)
        charsets.append(new_charsets.n2label(i), new_charsets.n2set(i));
      for (int i = 1; i <= new_taxsets.get_n(); i++)
        taxsets.append(new_taxsets.n2label(i), new_taxsets.n2set(i));
      _valid = 1;
      return 1;
    }
    if (in->CompareCurrentToken("TAXSET")) {
      if (!read_named_set(in, "SETS-taxset", "Syntax: TAXSET taxset-name = taxa-set;",
                          taxa->get_ntax(), &new_taxsets))
        return 0;
    } else if (in->CompareCurrentToken("CHARSET")) {
      if (!read_named_set(in, "SETS-charset", "Syntax: CHARSET charset-name = character-set;",
                          taxa->get_nchar(), &new_charsets))
        return 0;
    } else {
      return in->Error("SETS", "Unknown command: %s", in->CurrentToken());
    }
  }
}
