#include "blocks/blk_characters.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_taxa.h"
#include "blocks/unused_commands.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/random.h"
#include "nexus/nexus.h"

namespace {

// Above this many characters the matrix reader shows its progress.
constexpr int PROGRESS_NCHAR = 500;
// Nucleotide ambiguity codes, read as the missing symbol in DNA and RNA data.
const char* const AMBIGUITY_CODES = "RYMKSWHBVDN";
// Protein codes for "either of two" or "any" amino acid and the stop codon,
// read as the missing symbol in PROTEIN data.
const char* const PROTEIN_AMBIGUITY_CODES = "BX*";
// While an interleaved row is read, only line ends separate tokens.
const char* const LINE_SPACE = "\f\n\r\v";
// ... and only ";" ends one, so that commas inside (0,1) stay in the row.
const char* const LINE_PUNCTUATION = ";";
const char* const MATRIX_WHERE = "CHARACTERS-matrix";

struct tDatatype {
  const char* name;
  const char* symbols;
  const char* extra;  // also allowed in the matrix
};

const tDatatype DATATYPES[] = {
  {"STANDARD", "01", ""},
  {"DNA", "ACGT", AMBIGUITY_CODES},
  {"RNA", "ACGU", AMBIGUITY_CODES},
  {"PROTEIN", "ARNDCQEGHILKMFPSTWYVZ", PROTEIN_AMBIGUITY_CODES},
};

// Datatypes of other programs that the distance transforms have no meaning for.
const char* const UNANALYSABLE_DATATYPES[] = {"CONTINUOUS", "MIXED"};

// Folds ASCII letters only: states are bytes, whatever the locale.
unsigned char upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c; }

void add_unique(std::string& s, unsigned char c)
{
  if (c != 0 && s.find(static_cast<char>(c)) == std::string::npos)
    s += static_cast<char>(c);
}

// Writes blanks until the line holds `width` characters.
void pad_to(std::string& line, size_t width)
{
  if (line.size() < width)
    line.append(width - line.size(), ' ');
}

} // namespace

tCharactersBlk::tCharactersBlk() = default;
tCharactersBlk::~tCharactersBlk() = default;

bool tCharactersBlk::compare_name(const char* name) const { return same_token(name, "CHARACTERS"); }

void tCharactersBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN CHARACTERS;\n",
    "    DIMENSIONS [NTAX=number-of-taxa] NCHAR=number-of-characters;\n",
    "    [FORMAT\n",
    "        [DATATYPE={STANDARD|DNA|RNA|PROTEIN}]\n",
    "        [RESPECTCASE]\n",
    "        [MISSING=symbol]\n",
    "        [GAP=symbol]\n",
    "        [SYMBOLS=\"symbol symbol ...\"]\n",
    "        [[NO] LABELS]\n",
    "        [[NO] TRANSPOSE]\n",
    "        [[NO] INTERLEAVE]\n",
    "        [[NO] TOKENS]\n",
    "    ;]\n",
    "    [CHARWEIGHTS wgt_1 wgt_2 ... wgt_nchar;]\n",
    "    MATRIX\n",
    "        sequence data in specified format\n",
    "    ;\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tCharactersBlk::show_info() const
{
  if (!_valid) {
    message("No valid CHARACTERS block\n");
    return;
  }
  message("Valid CHARACTERS block: %d sequences, each %d characters, datatype: %s\n", ntax, nchar,
          datatype.c_str());
  print_active_sites_message();
}

// ---------------------------------------------------------------- coding

void tCharactersBlk::set_colors()
{
  ncolors = 0;
  memset(symbols2colors, 0, sizeof symbols2colors);
  memset(colors2symbols, 0, sizeof colors2symbols);
  for (char ch : symbols) {
    const unsigned char s = static_cast<unsigned char>(ch);
    // A symbol listed twice keeps its first color: colors stay distinct and at most 255.
    if (s == 0 || symbols2colors[s] != 0)
      continue;
    ncolors++;
    symbols2colors[s] = static_cast<unsigned char>(ncolors);
    colors2symbols[ncolors] = s;
  }
}

bool tCharactersBlk::set_datatype(const char* name)
{
  // The NEXUS name for nucleotide data of unstated kind; it is coded as DNA.
  if (same_token(name, "NUCLEOTIDE"))
    name = "DNA";
  for (const tDatatype& type : DATATYPES) {
    if (!same_token(name, type.name))
      continue;
    datatype = type.name;
    symbols = type.symbols;
    set_colors();
    for (const char* p = type.symbols; *p; p++)
      add_unique(_all_symbols, static_cast<unsigned char>(*p));
    for (const char* p = type.extra; *p; p++)
      add_unique(_all_symbols, static_cast<unsigned char>(*p));
    return true;
  }
  datatype.clear();
  symbols.clear();
  set_colors();
  return false;
}

void tCharactersBlk::set_symbols(const char* list)
{
  if (datatype != "STANDARD") {
    // The alphabet of a molecular datatype is extended, never replaced.
    for (const char* p = list; *p; p++) {
      const unsigned char s = upper(static_cast<unsigned char>(*p));
      add_unique(symbols, s);
      add_unique(_all_symbols, s);
    }
  } else {
    // Matrix states are folded to upper case unless RESPECTCASE, so the
    // symbols must be too, or lower-case symbols would code no state.
    symbols.clear();
    for (const char* p = list; *p; p++) {
      unsigned char s = static_cast<unsigned char>(*p);
      if (!respectcase)
        s = upper(s);
      symbols += static_cast<char>(s);
      add_unique(_all_symbols, s);
    }
  }
  set_colors();
}

bool tCharactersBlk::set_char(int c, int& field)
{
  static const char refused[] = " \f\n\r\t\v()[]{}/\\,;:=*<>'\"`";
  if (c <= 0 || c > 255 || strchr(refused, c) != nullptr)
    return false;
  field = c;
  add_unique(_all_symbols, static_cast<unsigned char>(c));
  return true;
}

bool tCharactersBlk::set_nchar_ntax(int nt, int nc)
{
  if (nt < 1 || nc < 1)
    return false;
  const size_t row_size = static_cast<size_t>(nc) + 1;
  try {
    if (ntax_orig > 0 && static_cast<int>(_row_of.size()) == nt + 1) {
      // Restricted to active taxa: the full rows keep their taxa.
      for (auto& r : _rows)
        r.resize(row_size, 0);
    } else {
      _rows.resize(static_cast<size_t>(nt) + 1);
      for (auto& r : _rows)
        r.resize(row_size, 0);
      _row_of.resize(static_cast<size_t>(nt) + 1);
      for (int t = 0; t <= nt; t++)
        _row_of[t] = t;
      ntax_orig = 0;
    }
  } catch (const std::bad_alloc&) {
    error("set_nchar_ntax(ntax=%d, nchar=%d): out of memory", nt, nc);
  }
  if (nc != nchar)
    charweights.clear();
  ntax = nt;
  nchar = nc;
  // A mask of another width would be read out of bounds: all sites are active again.
  _mask.clear();
  active_nchar = nc;
  return true;
}

// ---------------------------------------------------------------- accessors

int tCharactersBlk::get_mask(int c) const
{
  if (_mask.empty())
    return 1;
  if (c < 1 || c > nchar)
    return 0;
  return _mask[c];
}

const char* tCharactersBlk::getlabel(int c) const
{
  if (c < 1 || c > nchar)
    error("tCharactersBlk::getlabel (n=%d): out of range", c);
  thread_local std::string text;
  char buf[24];
  snprintf(buf, sizeof buf, "%d", c);
  text = buf;
  return text.c_str();
}

float tCharactersBlk::get_charweight(int c) const
{
  if (charweights.empty() || c < 1 || c > nchar)
    error("get_charweight(c=%d): charweights=%ld, nchar=%d", c, static_cast<long>(charweights.size()), nchar);
  return charweights[c];
}

void tCharactersBlk::set_charweight(int c, double x)
{
  if (charweights.empty() || c < 1 || c > nchar)
    error("set_charweight(c=%d,x=%G): charweights=%ld, nchar=%d", c, x, static_cast<long>(charweights.size()),
          nchar);
  charweights[c] = static_cast<float>(x);
}

// ---------------------------------------------------------------- reading

int tCharactersBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!taxa)
    return in->Error("CHARACTERS", "Must be preceeded by TAXA-block");
  // Without a TAXA block the block's own NTAX and row labels define the taxa.
  defines_taxa = !taxa->valid();
  const int ok = read_commands(in, taxa);
  if (defines_taxa) {
    if (ok && taxa->valid()) {
      taxa->label_undetected();
      message("TAXA: Read %d taxa from the matrix\n", taxa->get_ntax());
    } else {
      taxa->discard();
    }
  }
  defines_taxa = false;
  return ok;
}

int tCharactersBlk::read_commands(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!in->CompareNextToken(";"))
    return in->Error("CHARACTERS", "Missing ';'");
  // Rows sized for another taxon count (a block that failed before the taxa
  // changed) cannot take a matrix: its dimensions must be given again.
  if (!_valid && nchar > 0 && ntax != taxa->get_ntax())
    nchar = 0;

  for (;;) {
    if (!in->NextToken())
      return in->Error("CHARACTERS", "Unexpected EOF");
    if (in->CurrentTokenIsEnd()) {
      if (defines_taxa && !taxa->valid())
        return in->Error("CHARACTERS", "Must be preceeded by TAXA-block");
      return 1;
    }
    const bool dimensions = in->CompareCurrentToken("DIMENSIONS");
    if (!dimensions && skip_unused_command(in, "CHARACTERS"))
      continue;
    if (!dimensions && !taxa->valid())
      return in->Error("CHARACTERS", "Must be preceeded by TAXA-block");
    if (!dimensions && nchar == 0)
      return in->Error("CHARACTERS", "DIMENSIONS command must come first");

    if (dimensions) {
      if (!read_dimensions(in, taxa))
        return 0;
    } else if (in->CompareCurrentToken("FORMAT")) {
      if (!read_format(in))
        return 0;
    } else if (in->CompareCurrentToken("CHARWEIGHTS")) {
      if (!read_charweights(in))
        return 0;
    } else if (in->CompareCurrentToken("MATRIX")) {
      if (!read_matrix_command(in, taxa))
        return in->Error("CHARACTERS", "Bad block");
    } else {
      return in->Error("CHARACTERS", "Unknown command: %s", in->CurrentToken());
    }
  }
}

int tCharactersBlk::read_dimensions(tNexusInput* in, tTaxaBlk* taxa)
{
  if (_valid)
    return in->Error("CHARACTERS-format", "Can't change DIMENSIONS");
  in->NextToken();
  if (in->CompareCurrentToken("NEWTAXA"))
    return in->Error("CHARACTERS-dimensions", "NEWTAXA not implemented");
  // NTAX and NCHAR in either order.
  int n = 0, m = 0;
  bool have_nchar = false;
  while (in->CurrentToken() && !in->CompareCurrentToken(";")) {
    if (in->CompareCurrentToken("NTAX")) {
      const bool number = in->CompareNextToken("=") && in->ReadNextTokenInt(&n) && n >= 1;
      if (taxa->valid() && (!number || n != taxa->get_ntax()))
        return in->Error("CHARACTERS-dimensions", "Expected NTAX=%d", taxa->get_ntax());
      if (!number)
        return in->Error("CHARACTERS-dimensions", "Usage: NTAX=number-of-taxa");
    } else if (in->CompareCurrentToken("NCHAR") && in->CompareNextToken("=") && in->ReadNextTokenInt(&m)) {
      have_nchar = true;
    } else {
      // A malformed clause is passed over.
      while (in->CurrentToken() && !in->CompareCurrentToken(";"))
        in->NextToken();
      return 1;
    }
    in->NextToken();
  }
  if (!have_nchar)
    return 1;
  if (!taxa->valid() && n < 1)
    return in->Error("CHARACTERS", "Must be preceeded by TAXA-block");
  const int taxa_ntax = taxa->valid() ? taxa->get_ntax() : n;
  // Every cell takes a byte of the matrix at least: a short file that
  // claims gigabytes is refused before anything is allocated.
  const long long cells = static_cast<long long>(taxa_ntax) * (m > 0 ? m : 0);
  if (!in->Fits(cells))
    return in->Error("CHARACTERS-dimensions", "ntax=%d nchar=%d make %lld cells, more than %s", taxa_ntax, m,
                     cells, in->RoomText().c_str());
  if (ntax != taxa_ntax || nchar != m) {
    if (!set_nchar_ntax(taxa_ntax, m))
      return in->Error("CHARACTERS", "Illegal values: ntax=%d nchar=%d", taxa_ntax, m);
  }
  // The taxa come after the matrix is sized, so that whatever guards the
  // matrix against absurd dimensions guards them too.
  if (!taxa->valid())
    taxa->define_from_matrix(n);
  taxa->set_active_nchar(m);
  if (m > PROGRESS_NCHAR)
    message("CHARACTERS:");
  return 1;
}

int tCharactersBlk::read_format_char(tNexusInput* in, const char* name, int& field)
{
  if (_valid)
    return in->Error("CHARACTERS-format", "Can't change %s", name);
  char c = 0;
  if (!in->CompareNextToken("=") || !in->ReadNextTokenChar(&c))
    return in->Error("CHARACTERS-format", "Usage: %s=character", name);
  unsigned char u = static_cast<unsigned char>(c);
  if (!respectcase)
    u = upper(u);
  if (!set_char(u, field))
    return in->Error("CHARACTERS-format", "Illegal %s character: %c", name, u);
  return 1;
}

// Reads the optional "= value" behind a format flag. A value of NO clears
// the flag; YES (and LEFT for LABELS) sets it. Without "=" the token read is
// the next item, and `pending` says so.
int tCharactersBlk::read_flag_value(tNexusInput* in, const char* name, int& flag, bool& pending)
{
  flag = 1;
  if (!in->CompareNextToken("=")) {
    pending = true;
    return 1;
  }
  in->NextToken();
  if (in->CompareCurrentToken("NO"))
    flag = 0;
  else if (!in->CompareCurrentToken("YES") && !(same_token(name, "LABELS") && in->CompareCurrentToken("LEFT")))
    return in->Error("CHARACTERS-format", "Usage: %s[=YES|NO]", name);
  return 1;
}

// EQUATE="s=x s=(xy) s={xy} ...": each symbol s stands for a state x, or for
// a set of states, which reads as a polymorphic cell does (missing).
int tCharactersBlk::read_equate(tNexusInput* in)
{
  const char* usage = "Usage: EQUATE=\"symbol=expansion ...\"";
  const char* where = "CHARACTERS-format";
  if (!in->CompareNextToken("=") || !in->CompareNextToken("\""))
    return in->Error(where, "%s", usage);
  for (;;) {
    if (!in->NextToken() || in->CompareCurrentToken(";"))
      return in->Error(where, "%s", usage);
    if (in->CompareCurrentToken("\""))
      return 1;
    const std::string symbol = in->CurrentToken();
    if (symbol.size() != 1 || !in->CompareNextToken("=") || !in->NextToken())
      return in->Error(where, "%s", usage);
    unsigned char s = static_cast<unsigned char>(symbol[0]);
    if (!respectcase)
      s = upper(s);
    const std::string first = in->CurrentToken();
    if (first == "(" || first == "{") {
      const char* close = first == "(" ? ")" : "}";
      while (in->NextToken() && !in->CompareCurrentToken(close))
        if (in->CompareCurrentToken(";") || in->CompareCurrentToken("\""))
          return in->Error(where, "%s", usage);
      if (!in->CurrentToken())
        return in->Error(where, "%s", usage);
      equate_set[s] = 1;
    } else if (first.size() == 1) {
      unsigned char x = static_cast<unsigned char>(first[0]);
      equate_to[s] = respectcase ? x : upper(x);
    } else {
      return in->Error(where, "%s", usage);
    }
    add_unique(_all_symbols, s);
  }
}

// Data the transforms cannot use is named once, and the block is not read.
int tCharactersBlk::refuse_data(tNexusInput* in, const char* what)
{
  in->Warning("CHARACTERS", "%s data cannot be analysed: block skipped", what);
  return 0;
}

int tCharactersBlk::read_format(tNexusInput* in)
{
  const char* where = "CHARACTERS-format";
  bool first = true;
  bool pending = false;  // the current token is the next item, already read
  std::string listed;    // SYMBOLS of this command, applied again after a late DATATYPE
  bool have_listed = false;
  for (;;) {
    if (!pending && !in->NextToken())
      return in->Error(where, "Unexpected EOF");
    pending = false;
    if (!in->CurrentToken())
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("DATATYPE")) {
      if (!in->CompareNextToken("=") || !in->NextToken())
        return in->Error("CHARACTERS-datatype", "Illegal type");
      for (const char* name : UNANALYSABLE_DATATYPES)
        if (in->CompareCurrentToken(name))
          return refuse_data(in, name);
      if (!set_datatype(in->CurrentToken()))
        return in->Error("CHARACTERS-datatype", "Illegal type");
      // Written after other items: what they set stays, the symbols listed
      // before extend the datatype's own.
      if (have_listed)
        set_symbols(listed.c_str());
      first = false;
      continue;
    }
    if (first && datatype.empty())
      set_datatype("STANDARD");
    first = false;

    if (in->CompareCurrentToken("RESPECTCASE")) {
      in->Warning(where, "RESPECTCASE: untested option...\n");
      respectcase = 1;
    } else if (in->CompareCurrentToken("MISSING")) {
      if (!read_format_char(in, "MISSING", missing))
        return 0;
    } else if (in->CompareCurrentToken("GAP")) {
      if (!read_format_char(in, "GAP", gap))
        return 0;
    } else if (in->CompareCurrentToken("MATCHCHAR")) {
      if (!read_format_char(in, "MATCHCHAR", matchchar))
        return 0;
    } else if (in->CompareCurrentToken("SYMBOLS")) {
      char* list = nullptr;
      bool ok = in->CompareNextToken("=");
      if (ok) {
        // In double quotes as the standard asks; failing that, when the list
        // is the very token behind "=", one bare word (SYMBOLS=01) or a
        // single-quoted list, blanks apart.
        ok = in->ReadNextSymbolList(&list);
        const char* word = in->CurrentToken();
        const bool behind_equals = in->PreviousToken() && std::strcmp(in->PreviousToken(), "=") == 0;
        if (!ok && behind_equals && word && *word &&
            (in->CurrentTokenQuoted() || std::strpbrk(word, tNexusInput::DEFAULT_PUNCTUATION) == nullptr)) {
          free(list);
          list = nullptr;
          for (const char* p = word; *p; p++)
            if (*p != ' ' && *p != '\t')
              list = appendchar(list, *p);
          ok = list != nullptr;
        }
      }
      if (ok) {
        listed = list ? list : "";
        have_listed = true;
        set_symbols(listed.c_str());
      }
      free(list);
      if (!ok)
        return in->Error(where, "Usage: SYMBOLS = \" symbol symbol ..\"");
    } else if (in->CompareCurrentToken("EQUATE")) {
      if (!read_equate(in))
        return 0;
    } else if (in->CompareCurrentToken("NOLABELS")) {
      labels = 0;  // the NEXUS spellings of NO LABELS and NO TOKENS, one word each
    } else if (in->CompareCurrentToken("NOTOKENS")) {
      tokens = 0;
    } else if (in->CompareCurrentToken("NO")) {
      in->NextToken();
      if (in->CompareCurrentToken("LABELS"))
        labels = 0;
      else if (in->CompareCurrentToken("TOKENS"))
        tokens = 0;
      else if (in->CompareCurrentToken("TRANSPOSE"))
        transpose = 0;
      else if (in->CompareCurrentToken("INTERLEAVE"))
        interleave = 0;
      else
        return in->Error(where, "Usage: NO [INTERLEAVE|LABELS|TOKENS|TRANSPOSE]");
    } else if (in->CompareCurrentToken("LABELS")) {
      if (!read_flag_value(in, "LABELS", labels, pending))
        return 0;
    } else if (in->CompareCurrentToken("TRANSPOSE")) {
      if (!read_flag_value(in, "TRANSPOSE", transpose, pending))
        return 0;
    } else if (in->CompareCurrentToken("INTERLEAVE")) {
      if (!read_flag_value(in, "INTERLEAVE", interleave, pending))
        return 0;
    } else if (in->CompareCurrentToken("TOKENS")) {
      if (!read_flag_value(in, "TOKENS", tokens, pending))
        return 0;
    } else if (in->CompareCurrentToken("ITEMS")) {
      if (!in->CompareNextToken("=") || !in->NextToken() || in->CompareCurrentToken(";"))
        return in->Error(where, "Bad ITEMS command");
      items = in->CurrentToken();
    } else if (in->CompareCurrentToken("STATESFORMAT")) {
      // States present is what every matrix here holds; counts and
      // frequencies are another kind of data.
      if (!in->CompareNextToken("=") || !in->NextToken() || in->CompareCurrentToken(";"))
        return in->Error(where, "Usage: STATESFORMAT=STATESPRESENT");
      if (!in->CompareCurrentToken("STATESPRESENT")) {
        const std::string what = std::string("STATESFORMAT=") + in->CurrentToken();
        return refuse_data(in, what.c_str());
      }
    } else if (in->CompareCurrentToken("DATAPOINT")) {
      if (_valid)
        return in->Error(where, "Can't change DATAPOINT");
      if (!in->CompareNextToken("=") || !in->CompareNextToken("STANDARD"))
        return in->Error(where, "Bad DATAPOINT command");
      datapoint = "STANDARD";
    } else {
      return in->Error(where, "Unknown command: %s", in->CurrentToken());
    }
  }
}

int tCharactersBlk::read_charweights(tNexusInput* in)
{
  const char* where = "CHARACTERS-charweights";
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  int ok = 1;
  charweights.assign(static_cast<size_t>(nchar) + 1, 0.0f);
  for (int c = 1; c <= nchar && ok; c++) {
    double x = 0.0;
    if (!in->ReadNextTokenDouble(&x)) {
      const char* token = in->CurrentToken();
      ok = in->Error(where, "Real value expected: %s", token ? token : "");
    } else {
      set_charweight(c, x);
    }
  }
  if (ok && !in->CompareNextToken(";"))
    ok = in->Error(where, "Expected ';'");
  return ok;
}

int tCharactersBlk::read_matrix_command(tNexusInput* in, tTaxaBlk* taxa)
{
  _valid = 0;
  _held = false;
  // A block without FORMAT holds standard data.
  if (datatype.empty())
    set_datatype("STANDARD");
  dna_rna_data = datatype == "DNA" || datatype == "RNA";
  protein_data = datatype == "PROTEIN";
  warned_ambiguity = 0;
  warned_polymorphism = 0;
  set_close = 0;

  int ok;
  {
    tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
    if (tokens)
      ok = in->Error(MATRIX_WHERE, "Unsupported matrix format");
    else if (!transpose && !interleave)
      ok = read_matrix(in, taxa);
    else if (!transpose)
      ok = read_matrix_interleave(in, taxa);
    else if (!interleave)
      ok = read_matrix_transpose(in);
    else
      ok = read_matrix_interleave_transpose(in);
  }
  in->SetSpaceChars(nullptr);
  if (!ok)
    return 0;
  if (!in->CompareNextToken(";"))
    return in->Error("Characters-Matrix", "Missing ';'?");

  _valid = 1;
  _held = true;
  if (nchar > PROGRESS_NCHAR)
    message("\n");
  show_info();
  count_sites(taxa);
  return 1;
}

// Applies the state rule to one byte of the matrix: 0 undefined, 1 a state
// (in `state`), 2 the match symbol (the caller copies the reference state),
// 3 a byte of a polymorphic or uncertain cell that is not complete yet.
int tCharactersBlk::state_of(int x, unsigned char& state)
{
  unsigned char c = static_cast<unsigned char>(x);
  if (!respectcase)
    c = upper(c);
  state = c;
  // A cell "(0 1)" or "{01}" holds several states; no transform can count
  // it as one, so it is read as missing, as ambiguity codes are.
  if (set_close != 0) {
    if (c != set_close)
      return 3;
    set_close = 0;
    if (!warned_polymorphism) {
      message("Converting polymorphic and uncertain cells ((..) and {..}) to 'missing'\n");
      warned_polymorphism = 1;
    }
    state = static_cast<unsigned char>(missing);
    return 1;
  }
  if (c == '(' || c == '{') {
    set_close = c == '(' ? ')' : '}';
    return 3;
  }
  if (equate_set[c]) {
    set_close = c;  // closes at once: the same note and the missing symbol
    return state_of(x, state);
  }
  if (equate_to[c] != 0)
    c = state = equate_to[c];
  if (c == 0 || _all_symbols.find(static_cast<char>(c)) == std::string::npos)
    return 0;
  if (matchchar != 0 && c == matchchar)
    return 2;
  const char* codes = dna_rna_data ? AMBIGUITY_CODES : (protein_data ? PROTEIN_AMBIGUITY_CODES : nullptr);
  if (codes && strchr(codes, c) != nullptr) {
    if (!warned_ambiguity) {
      message("Converting ambiguity codes (%s) to 'missing'\n", codes);
      warned_ambiguity = 1;
    }
    state = static_cast<unsigned char>(missing);
  }
  return 1;
}

int tCharactersBlk::read_row_label(tNexusInput* in, tTaxaBlk* taxa, int t, bool detect_nocase, int pos)
{
  const char* token = in->NextToken();
  if (!token)
    return in->Error(MATRIX_WHERE, "Unexpected EOF");
  const std::string label = taxa->getlabel(t);
  const bool detect = detect_nocase ? same_token(label.c_str(), "_DETECT_") : label == "_DETECT_";
  if (detect) {
    taxa->setlabel(t, token);
    return 1;
  }
  if (!same_nexus_label(label.c_str(), token))
    return in->Error(MATRIX_WHERE, "Label %d differs definition in TAXA-block (%s v.s %s) (character pos: %d)", t,
                     token, label.c_str(), pos);
  return 1;
}

// Reads the rest of the line, blanks and tabs included, as one token.
int tCharactersBlk::read_line_token(tNexusInput* in)
{
  tPunctuationScope punct(in, LINE_PUNCTUATION);
  in->SetSpaceChars(LINE_SPACE);
  const char* token = in->NextToken();
  in->SetSpaceChars(nullptr);
  if (!token)
    return in->Error(MATRIX_WHERE, "Unexpected EOF");
  return 1;
}

int tCharactersBlk::read_matrix(tNexusInput* in, tTaxaBlk* taxa)
{
  for (int t = 1; t <= ntax; t++) {
    if (labels && !read_row_label(in, taxa, t, true, t == 1 ? 0 : nchar + 1))
      return 0;
    unsigned char* r = row(t);
    int c = 1;
    while (c <= nchar) {
      const char* token = in->NextToken();
      if (!token)
        return in->Error(MATRIX_WHERE, "Unexpected EOF");
      for (const char* p = token; *p && c <= nchar; p++) {
        unsigned char s;
        const int kind = state_of(static_cast<unsigned char>(*p), s);
        if (kind == 0)
          return in->Error(MATRIX_WHERE, "Undefined symbol at row %d, col %d: '%c'", t, c, s);
        if (kind == 3)
          continue;
        if (kind == 2) {
          if (t == 1)
            return in->Error(MATRIX_WHERE, "Matchchar illegal in 1. row");
          s = row(1)[c];
        }
        r[c++] = s;
      }
    }
    if (nchar > PROGRESS_NCHAR)
      message(".");
  }
  return 1;
}

int tCharactersBlk::read_matrix_interleave(tNexusInput* in, tTaxaBlk* taxa)
{
  int s = 1;
  while (s <= nchar) {
    int block_width = 0;
    for (int t = 1; t <= ntax; t++) {
      if (labels && !read_row_label(in, taxa, t, false, s))
        return 0;
      if (!read_line_token(in))
        return 0;
      const std::string token = in->CurrentToken();
      unsigned char* r = row(t);
      int k = 0;
      for (char ch : token) {
        if (ch == ' ' || ch == '\t')
          continue;
        const int col = s + k;
        if (col > nchar && set_close == 0 && ch != '(' && ch != '{')
          return in->Error(MATRIX_WHERE, "Too many characters: %d", col + 1);
        unsigned char st;
        const int kind = state_of(static_cast<unsigned char>(ch), st);
        if (kind == 0)
          return in->Error(MATRIX_WHERE, "Undefined symbol: '%c'  (character pos: %d)", st, s);
        if (kind == 3)
          continue;
        if (col > nchar)
          return in->Error(MATRIX_WHERE, "Too many characters: %d", col + 1);
        if (kind == 2) {
          if (t == 1)
            return in->Error(MATRIX_WHERE, "Matchchar illegal in 1. row");
          st = row(1)[col];
        }
        r[col] = st;
        k++;
      }
      if (set_close != 0)
        return in->Error(MATRIX_WHERE, "Unterminated state set (character pos: %d)", s + k);
      if (t == 1)
        block_width = k;
      else if (k != block_width)
        return in->Error(MATRIX_WHERE, "Row lengths differ");
    }
    s += block_width;
  }
  return 1;
}

int tCharactersBlk::read_matrix_transpose(tNexusInput* in)
{
  for (int c = 1; c <= nchar; c++) {
    if (labels) {
      const char* token = in->NextToken();
      if (!token)
        return in->Error(MATRIX_WHERE, "Unexpected EOF");
      if (strcmp(token, getlabel(c)) != 0)
        return in->Error(MATRIX_WHERE, "Labels differ from those defined in charstatelabels");
    }
    int t = 1;
    while (t <= ntax) {
      const char* token = in->NextToken();
      if (!token)
        return in->Error(MATRIX_WHERE, "Unexpected EOF");
      for (const char* p = token; *p && t <= ntax; p++) {
        unsigned char st;
        const int kind = state_of(static_cast<unsigned char>(*p), st);
        if (kind == 0)
          return in->Error(MATRIX_WHERE, "Undefined symbol: '%c'", st);
        if (kind == 3)
          continue;
        if (kind == 2) {
          // Taxon 1's own cell is not read yet: nothing to copy there either.
          if (c == 1 || t == 1)
            return in->Error(MATRIX_WHERE, "Matchchar illegal in 1. row");
          st = row(1)[c];
        }
        row(t++)[c] = st;
      }
    }
  }
  return 1;
}

int tCharactersBlk::read_matrix_interleave_transpose(tNexusInput* in)
{
  int s = 1;
  while (s <= ntax) {
    int block_width = 0;
    for (int c = 1; c <= nchar; c++) {
      if (labels) {
        const char* token = in->NextToken();
        if (!token)
          return in->Error(MATRIX_WHERE, "Unexpected EOF");
        if (strcmp(token, getlabel(c)) != 0)
          return in->Error(MATRIX_WHERE, "Labels differ from those defined in CHARSTATELABELS");
      }
      if (!read_line_token(in))
        return 0;
      const std::string token = in->CurrentToken();
      int k = 0;
      for (char ch : token) {
        if (ch == ' ' || ch == '\t')
          continue;
        const int t = s + k;
        if (t > ntax && set_close == 0 && ch != '(' && ch != '{')
          return in->Error(MATRIX_WHERE, "Too many characters: %d", t + 1);
        unsigned char st;
        const int kind = state_of(static_cast<unsigned char>(ch), st);
        if (kind == 0)
          return in->Error(MATRIX_WHERE, "Undefined symbol: '%c'", st);
        if (kind == 3)
          continue;
        if (t > ntax)
          return in->Error(MATRIX_WHERE, "Too many characters: %d", t + 1);
        if (kind == 2) {
          if (c == 1)
            return in->Error(MATRIX_WHERE, "Matchchar illegal in 1. row");
          st = row(t)[1];
        }
        row(t)[c] = st;
        k++;
      }
      if (set_close != 0)
        return in->Error(MATRIX_WHERE, "Unterminated state set (character pos: %d)", s + k);
      if (c == 1)
        block_width = k;
      else if (k != block_width)
        return in->Error(MATRIX_WHERE, "Row lengths differ");
    }
    s += block_width;
  }
  return 1;
}

// ---------------------------------------------------------------- printing

int tCharactersBlk::print(int show_matrix, tNexusOutput* out, const tTaxaBlk* taxa) const
{
  if (!_valid && !_held) {
    message("No valid CHARACTERS block\n");
    return 0;
  }
  if (!out || !taxa)
    return 0;
  out->Print("BEGIN characters;\n");
  out->Print("    DIMENSIONS nchar=%d;\n", nchar);
  out->Print("    FORMAT\n");
  out->Print("        datatype=%s\n", datatype.c_str());
  if (respectcase)
    out->Print("        respectcase\n");
  if (missing)
    out->Print("        missing=%c\n", missing);
  if (gap)
    out->Print("        gap=%c\n", gap);
  std::string list;
  for (char s : symbols) {
    if (!list.empty())
      list += ' ';
    list += s;
  }
  out->Print("        symbols=\"%s\"\n", list.c_str());
  if (matchchar)
    out->Print("        matchchar=%c\n", matchchar);
  out->Print(labels ? "        labels\n" : "        no labels\n");
  if (transpose)
    out->Print("        transpose\n");
  if (interleave)
    out->Print("        interleave\n");
  if (!items.empty())
    out->Print("        items=%s\n", items.c_str());
  if (datapoint != "STANDARD")
    out->Print("        datapoint=%s\n", datapoint.c_str());
  if (tokens)
    out->Print("        tokens\n");
  out->Print("    ;\n");

  if (!charweights.empty()) {
    int n = out->Print("    CHARWEIGHTS");
    for (int c = 1; c <= nchar; c++) {
      n += out->Print(" %g", static_cast<double>(charweights[c]));
      if (n > 70) {
        out->Print("\n        ");
        n = 8;
      }
    }
    out->Print("\n    ;\n");
  }

  if (show_matrix) {
    out->Print("    MATRIX\n");
    if (!_rows.empty()) {
      if (tokens)
        warning("Can't print matrix");
      else if (!transpose && !interleave)
        print_matrix(out, taxa);
      else if (!transpose)
        print_matrix_interleave(out, taxa);
      else if (!interleave)
        print_matrix_transpose(out);
      else
        print_matrix_interleave_transpose(out);
    }
    out->Print("    ;\n");
  }
  out->Print("END;\n");
  return 1;
}

void tCharactersBlk::print_matrix(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  const size_t column = static_cast<size_t>(taxa->max_label_length()) + 5;
  for (int t = 1; t <= ntax; t++) {
    std::string line;
    if (labels) {
      line = nexus_label(taxa->getlabel(t)) + " ";
      pad_to(line, column);
    }
    line.append(reinterpret_cast<const char*>(get_row(t)) + 1, static_cast<size_t>(nchar));
    line += '\n';
    out->Print("%s", line.c_str());
  }
}

void tCharactersBlk::print_matrix_interleave(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  const int maxlen = taxa->max_label_length();
  // Labels of 51 characters or more leave no room on the line; blocks of ten states then.
  const int width = maxlen < 51 ? 51 - maxlen : 10;
  for (int s = 1; s <= nchar; s += width) {
    const int count = s + width - 1 <= nchar ? width : nchar - s + 1;
    for (int t = 1; t <= ntax; t++) {
      std::string line = "    ";
      if (labels) {
        line += nexus_label(taxa->getlabel(t)) + " ";
        pad_to(line, static_cast<size_t>(maxlen) + 5);
      }
      line.append(reinterpret_cast<const char*>(get_row(t)) + s, static_cast<size_t>(count));
      line += '\n';
      out->Print("%s", line.c_str());
    }
    out->Print("\n");
  }
}

void tCharactersBlk::print_transposed_rows(tNexusOutput* out, int first, int last) const
{
  for (int c = 1; c <= nchar; c++) {
    std::string line = "    ";
    if (labels) {
      line += getlabel(c);
      line += ' ';
      pad_to(line, 13);
    }
    int count = 0;
    for (int t = first; t <= last; t++) {
      line += static_cast<char>(get_matrix(t, c));
      if (++count == 70) {
        line += "\n    ";
        count = 0;
      }
    }
    if (count != 0)
      line += '\n';
    out->Print("%s", line.c_str());
  }
}

void tCharactersBlk::print_matrix_transpose(tNexusOutput* out) const { print_transposed_rows(out, 1, ntax); }

void tCharactersBlk::print_matrix_interleave_transpose(tNexusOutput* out) const
{
  for (int first = 1; first <= ntax; first += 50) {
    print_transposed_rows(out, first, first + 49 <= ntax ? first + 49 : ntax);
    out->Print("\n");
  }
}

// ---------------------------------------------------------------- active sites

void tCharactersBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions)
{
  tUpdate& update = assumptions->update;
  if (!update.check(1 | 2))
    return;
  if (!_valid || !assumptions->valid()) {
    update.unpost(2);
    return;
  }
  if (update.check(1)) {
    set_active_taxa(taxa);
    count_sites(taxa);
  }
  update.unpost(2);
  update.post(4 | 8 | 64 | 256);

  const tAssumptionsBlk& a = *assumptions;
  _mask.assign(static_cast<size_t>(nchar) + 2, 0);
  active_nchar = 0;
  int counts[256];
  for (int c = 1; c <= nchar; c++) {
    const int p = c + a.codon_offset;
    int active = !(c < static_cast<int>(a.exset.size()) && a.exset[c] != 0);
    int need = 0;
    if (a.exclude_nonparsimony) {
      need = 2;
      memset(counts, 0, sizeof counts);
    }
    int first = a.exclude_constant == -1 ? get_matrix(1, c) : 0;
    for (int t = 1; t <= ntax && active; t++) {
      const int x = get_matrix(t, c);
      if (a.exclude_gaps && gap != 0 && x == gap) {
        active = 0;
      } else if (a.exclude_missing && x == missing) {
        active = 0;
      } else {
        if (first != 0 && x != first)
          first = 0;
        if (need > 0 && ++counts[x] == 2)
          need--;
      }
    }
    const int r = ((p % 3) + 3) % 3;
    if ((a.exclude_codon1 && r == 1) || (a.exclude_codon2 && r == 2) || (a.exclude_codon3 && r == 0))
      active = 0;
    if (active && first == 0 && need == 0) {
      _mask[c] = 1;
      active_nchar++;
    }
  }
  message("Active sites: %d\n", a.exclude_constant >= 1 ? active_nchar - a.exclude_constant : active_nchar);
  print_active_sites_message();
  taxa->set_active_nchar(active_nchar);
}

void tCharactersBlk::set_active_taxa(tTaxaBlk* taxa)
{
  if (ntax_orig == 0)
    ntax_orig = taxa->get_ntax_orig();
  const int nt = taxa->get_ntax();
  // Rows that were never read (a block read while taxa were already
  // excluded) are empty rather than out of bounds.
  if (static_cast<int>(_rows.size()) < ntax_orig + 1)
    _rows.resize(static_cast<size_t>(ntax_orig) + 1, std::vector<unsigned char>(static_cast<size_t>(nchar) + 1, 0));
  _row_of.assign(static_cast<size_t>(nt) + 1, 0);
  for (int t = 1; t <= nt; t++) {
    const int o = taxa->get_tax2orig(t);
    if (o < 1 || o > ntax_orig)
      error("tCharactersBlk::set_active_taxa(): taxon %d maps to %d, not in 1..%d", t, o, ntax_orig);
    _row_of[t] = o;
  }
  ntax = nt;
}

void tCharactersBlk::count_sites(const tTaxaBlk* taxa)
{
  (void)taxa;
  n_gaps = n_missing = n_constant = n_nonparsimony = 0;
  int counts[256] = {};
  for (int c = 1; c <= nchar; c++) {
    const int x1 = ntax >= 1 ? get_matrix(1, c) : 0;
    bool stopped = false;
    bool constant = true;
    int twice = 0;  // states seen at least twice
    int t = 1;
    for (; t <= ntax; t++) {
      const int x = get_matrix(t, c);
      if (gap != 0 && x == gap) {
        n_gaps++;
        stopped = true;
        break;
      }
      if (x == missing) {
        n_missing++;
        stopped = true;
        break;
      }
      if (x != x1)
        constant = false;
      if (++counts[x] == 2)
        twice++;
    }
    for (int u = 1; u < t; u++)
      counts[get_matrix(u, c)] = 0;
    if (!stopped) {
      if (constant)
        n_constant++;
      if (twice < 2)
        n_nonparsimony++;
    }
  }
  if (n_constant == nchar) {
    warning("All sites are constant, invalid!");
    _valid = 0;
  }
  message("Sites: %d gaps: %d missing: %d constant: %d non-parsimony: %d\n", nchar, n_gaps, n_missing,
          n_constant, n_nonparsimony);
}

void tCharactersBlk::print_active_sites_message() const
{
  if (!_mask.empty() && active_nchar == nchar)
    message("CHARACTERS: All active\n");
}

void tCharactersBlk::compute_const_freq(int n)
{
  for (float& f : constant_freq)
    f = 0.0f;
  int k = 0;
  for (int c = 1; c <= nchar; c++) {
    if (!get_mask(c) || ntax < 1)
      continue;
    const int x = get_matrix(1, c);
    if (x == missing || (gap != 0 && x == gap))
      continue;
    int t = 2;
    while (t <= ntax && get_matrix(t, c) == x)
      t++;
    if (t <= ntax)
      continue;
    constant_freq[x] += 1.0f;
    k++;
  }
  if (k > 0) {
    const double scale = static_cast<double>(n) / k;
    for (float& f : constant_freq)
      if (f != 0.0f)
        f = static_cast<float>(f * scale);
  }
  message("Excluding %d constant sites:\n", n);
  for (int x = 1; x <= 255; x++)
    if (constant_freq[x] != 0.0f)
      message(" %c:%g", x, static_cast<double>(constant_freq[x]));
  message("\n");
}

int tCharactersBlk::make_source_matrix(int& ntax_mat, int& nchar_mat, tCharMatrix& source_mat) const
{
  ntax_mat = ntax;
  nchar_mat = active_nchar;
  source_mat.assign(static_cast<size_t>(ntax) + 1, std::vector<unsigned char>(static_cast<size_t>(nchar_mat) + 1, 0));
  for (int t = 1; t <= ntax; t++) {
    int count = 0;
    for (int c = 1; c <= nchar; c++) {
      if (!get_mask(c))
        continue;
      count++;
      if (count <= nchar_mat)
        source_mat[t][count] = get_matrix(t, c);
    }
    if (count != nchar_mat)
      error("make_source_matrix(): count!=nchar_mat %d %d", count, nchar_mat);
  }
  return 1;
}

// ---------------------------------------------------------------- bootstrap samples

std::vector<int> tCharactersBlk::draw_sample_columns(int nchar, int length)
{
  // Supports for a given seed are reproducible only with exactly this
  // arithmetic: a single-precision 1/32767, the rest in extended precision.
  constexpr float f = 1.0f / static_cast<float>(REF_RAND_MAX);
  std::vector<int> columns(static_cast<size_t>(length < 0 ? 0 : length) + 1, 0);
  for (int s = 1; s <= length; s++) {
    const int r = ref_rand();
    int c = static_cast<int>(static_cast<long double>(r) * nchar * static_cast<long double>(f) + 1.0L);
    if (c > nchar)
      c = nchar;
    columns[s] = c < 1 ? 1 : c;
  }
  return columns;
}

void tCharactersBlk::sample(int nt, int nc, int length, const tCharMatrix& source)
{
  sample(nt, length, source, draw_sample_columns(nc, length));
}

void tCharactersBlk::sample(int nt, int length, const tCharMatrix& source, const std::vector<int>& columns)
{
  if (static_cast<int>(source.size()) < nt + 1 || static_cast<int>(columns.size()) < length + 1)
    error("sample(ntax=%d, length=%d): source of %ld rows, %ld columns drawn", nt, length,
          static_cast<long>(source.size()), static_cast<long>(columns.size()));
  // The sample is a matrix of its own: no restriction to active taxa is left.
  ntax_orig = 0;
  if (!set_nchar_ntax(nt, length))
    error("sample(ntax=%d, length=%d): bad dimensions", nt, length);
  size_t width = source[1].size();
  for (int t = 2; t <= nt; t++)
    width = std::min(width, source[t].size());
  for (int s = 1; s <= length; s++)
    if (columns[s] < 1 || static_cast<size_t>(columns[s]) >= width)
      error("sample(): column %d outside the source", columns[s]);
  for (int t = 1; t <= nt; t++) {
    const unsigned char* from = source[t].data();
    unsigned char* to = _rows[t].data();
    for (int s = 1; s <= length; s++)
      to[s] = from[columns[s]];
  }
  _valid = 1;
}
