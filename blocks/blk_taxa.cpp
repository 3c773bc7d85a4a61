#include "blocks/blk_taxa.h"

#include <string>

#include "blocks/unused_commands.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

namespace {

// Copies a label list slot by slot, keeping slots without a label empty.
void copy_labels(const tLabels& from, tLabels* to)
{
  to->set_n(from.get_n());
  for (int i = 1; i <= from.get_n(); i++)
    if (from.has(i))
      to->set(i, from.get(i));
}

// Width of the index that tLabels::truncate writes behind each stem.
int suffix_width(int n) { return n <= 99 ? 2 : (n <= 999 ? 3 : 4); }

} // namespace

tTaxaBlk::tTaxaBlk() = default;
tTaxaBlk::~tTaxaBlk() = default;

bool tTaxaBlk::compare_name(const char* name) const { return same_token(name, "TAXA"); }

void tTaxaBlk::show_usage() const
{
  message("BEGIN TAXA;\n");
  message("    DIMENSIONS NTAX=number-of-taxa;\n");
  message("    TAXLABELS taxon_1 taxon_2 ... taxon_ntax;\n");
  message("END;\n");
}

void tTaxaBlk::show_info() const
{
  if (_valid)
    message("Valid TAXA block: %d taxa\n", ntax);
  else
    message("No valid TAXA block\n");
}

int tTaxaBlk::print(tNexusOutput* out) const
{
  if (!_valid) {
    message("No valid TAXA block\n");
    return 0;
  }
  if (!out)
    return 0;
  out->Print("BEGIN taxa;\n");
  out->Print("    DIMENSIONS ntax=%d;", ntax);
  if (taxlabels_orig && ntax_orig != ntax)
    out->Print(" [Originally, ntax was %d]\n", ntax_orig);
  else
    out->Print("\n");
  out->Print("TAXLABELS\n");
  // Quoted where needed, so that a saved label reads back as the same one.
  for (int t = 1; t <= ntax; t++)
    out->Print("[%d]    %s\n", t, nexus_label(taxlabels.get(t)).c_str());
  out->Print(";\n");
  out->Print("END;\n");
  return ntax;
}

int tTaxaBlk::read(tNexusInput* in)
{
  if (_valid)
    return in->Error("TAXA", "Block already defined");
  _valid = 1;
  if (!read_body(in)) {
    _valid = 0;
    return 0;
  }
  return 1;
}

// The next command's first token, past commands that carry nothing for us.
static void next_command(tNexusInput* in)
{
  in->NextToken();
  while (!in->CompareCurrentToken("TAXLABELS") && skip_unused_command(in, "TAXA"))
    in->NextToken();
}

int tTaxaBlk::read_body(tNexusInput* in)
{
  if (!in->CompareNextToken(";"))
    return in->Error("TAXA", "Expected ';'");
  next_command(in);
  if (!in->CompareCurrentToken("DIMENSIONS"))
    return in->Error("TAXA", "DIMENSIONS command expected");
  if (!in->CompareNextToken("NTAX"))
    return in->Error("TAXA-dimensions", "NTAX command expected");
  int n = 0;
  if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n < 1 ||
      !in->CompareNextToken(";"))
    return in->Error("TAXA-dimensions", "Usage: NTAX=number-of-taxa;");
  next_command(in);
  if (!in->CompareCurrentToken("TAXLABELS"))
    return in->Error("TAXA", "TAXLABELS command expected");
  if (!read_labels(in, n))
    return 0;
  next_command(in);
  if (!in->CurrentTokenIsEnd())
    return in->Error("TAXA", "Expected END");
  message("TAXA: Read %d taxa\n", n);
  return 1;
}

// What a made-up label costs at the least: its pointer and its text.
constexpr long long LABEL_BYTES = 16;

// Reads the labels behind TAXLABELS up to and including the ";".
int tTaxaBlk::read_labels(tNexusInput* in, int n)
{
  // Labels are gathered first and the list is sized only once they are all
  // there: a mistyped huge NTAX then costs nothing.
  std::vector<std::string> labels;
  {
    tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
    if (!in->NextToken())
      return in->Error("TAXA", "Unexpected EOF");
    // A quoted word is always a label, whatever it spells.
    const auto is_end = [in] { return in->CompareCurrentToken(";") && !in->CurrentTokenQuoted(); };
    if (!in->CurrentTokenQuoted() && (in->CompareCurrentToken("_AUTO_") || in->CompareCurrentToken("_DETECT_"))) {
      std::string word = in->CurrentToken();
      if (!in->NextToken())
        return in->Error("TAXA", "Unexpected EOF");
      if (is_end()) {
        const bool detect = same_token(word.c_str(), "_DETECT_");
        // Labels to detect come from a matrix still to be read, a byte each
        // at least; made-up ones must fit in memory.
        const long long need = detect ? n : static_cast<long long>(n) * LABEL_BYTES;
        if (detect ? !in->Fits(need) : need > tNexusInput::MemoryBytes())
          return in->Error("TAXA-taxlabels", "ntax=%d is more taxa than %s can hold", n,
                           detect ? in->RoomText().c_str() : "this computer's memory");
        set_ntax(n);
        for (int t = 1; t <= n; t++)
          setlabel(t, detect ? "_DETECT_" : ("s" + std::to_string(t)).c_str());
        return 1;
      }
      // Not alone in the list: an ordinary first label. Labels that no
      // matrix replaced are saved as _DETECT_ _DETECT_ ... and read back so.
      labels.push_back(word);
    }
    while (!is_end()) {
      if (static_cast<int>(labels.size()) >= n)
        return in->Error("TAXA-taxlabels", "Expected: ';'");
      labels.push_back(in->CurrentToken());
      if (!in->NextToken())
        return in->Error("TAXA", "Unexpected EOF");
    }
  }
  const int count = static_cast<int>(labels.size());
  if (count < n)
    return in->Error("TAXA-taxlabels", "Too few labels: %d", count);
  set_ntax(n);
  for (int t = 1; t <= n; t++)
    setlabel(t, labels[t - 1].c_str());
  return 1;
}

void tTaxaBlk::define_from_matrix(int n)
{
  set_ntax(n);
  for (int t = 1; t <= n; t++)
    setlabel(t, "_DETECT_");
  _valid = 1;
}

void tTaxaBlk::label_undetected()
{
  for (int t = 1; t <= ntax; t++)
    if (same_token(taxlabels.get(t), "_DETECT_"))
      setlabel(t, ("s" + std::to_string(t)).c_str());
}

void tTaxaBlk::discard()
{
  _valid = 0;
  ntax = 0;
  taxlabels.clear();
  taxlabels_orig.reset();
  ntax_orig = 0;
  tax2orig.clear();
}

void tTaxaBlk::set_ntax(int n)
{
  if (n < 1)
    error("set_ntax(n=%d): illegal value", n);
  ntax = n;
  taxlabels.set_n(n);
  // A new list is a new full list: no earlier restriction applies to it.
  taxlabels_orig.reset();
  ntax_orig = 0;
  tax2orig.clear();
}

void tTaxaBlk::setlabel(int t, const char* label) { taxlabels.set(t, label); }

const char* tTaxaBlk::getlabel(int t) const
{
  if (t < 0 || t > ntax)
    error("tTaxaBlk::getlabel (n=%d): out of range: 1..%d", t, ntax);
  return taxlabels.get(t);
}

int tTaxaBlk::label2n(const char* label) const { return taxlabels.label2n(label); }

int tTaxaBlk::get_ntax_orig() const { return taxlabels_orig ? ntax_orig : ntax; }

const char* tTaxaBlk::getlabel_orig(int t) const
{
  if (!taxlabels_orig)
    return getlabel(t);
  if (t < 0 || t > ntax_orig)
    error("tTaxaBlk::getlabel_orig (n=%d): out of range: 1..%d", t, ntax_orig);
  return taxlabels_orig->get(t);
}

int tTaxaBlk::label2n_orig(const char* label) const
{
  return taxlabels_orig ? taxlabels_orig->label2n(label) : taxlabels.label2n(label);
}

int tTaxaBlk::get_tax2orig(int t) const
{
  if (t < 0 || t > ntax)
    error("tTaxaBlk::get_tax2orig(t=%d): out of range: 1..%d", t, ntax);
  if (tax2orig.empty())
    return t;
  return tax2orig[t];
}

void tTaxaBlk::set_active_taxa(const char* extaxa)
{
  message("TAXA excluding:");
  // The first restriction keeps the full list; later ones start from it.
  if (!taxlabels_orig) {
    taxlabels_orig = std::make_unique<tLabels>();
    copy_labels(taxlabels, taxlabels_orig.get());
    ntax_orig = taxlabels_orig->get_n();
  }
  tax2orig.assign(static_cast<size_t>(ntax_orig) + 1, 0);
  taxlabels.clear();
  ntax = 0;
  for (int t = 1; t <= ntax_orig; t++) {
    if (extaxa && extaxa[t]) {
      message(" %s", taxlabels_orig->get(t));
      continue;
    }
    ntax++;
    tax2orig[ntax] = t;
    taxlabels.append(taxlabels_orig->has(t) ? taxlabels_orig->get(t) : nullptr);
  }
  message("\n");
  message("TAXA active: %d\n", ntax);
}

int tTaxaBlk::truncate_labels(int len)
{
  if (len <= suffix_width(taxlabels.get_n()))
    return 0;
  taxlabels.truncate(len);
  return 1;
}
