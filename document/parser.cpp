// The document's reading loop: blocks and bare commands from one NEXUS stream.
#include "document/document.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/auxilary.h"
#include "core/message.h"
#include "core/progress.h"
#include "core/version.h"
#include "document/tree_out.h"
#include "draw/pictures.h"
#include "nexus/nexus.h"

namespace {

// SAVE and SHOW take at most this many words.
constexpr int MAX_BLOCK_WORDS = 19;

const char* const NAME_ONLY_PUNCTUATION = ";";

// A token as it must be written again so that a nested read sees the same
// token: tokens that can only have come from quotes are quoted again.
std::string command_word(const char* token, const char* punct)
{
  const size_t len = std::strlen(token);
  bool quote = len == 0;
  for (const char* p = token; *p && !quote; p++) {
    const unsigned char c = static_cast<unsigned char>(*p);
    quote = c <= ' ' || c == '\'' || c == '[' || c == ']' || (len > 1 && std::strchr(punct, c));
  }
  return quote ? nexus_label(token) : std::string(token);
}

// Collects the words of a command up to ";" (or the end of input), joined by blanks.
std::string collect_command(tNexusInput* in, const char* punct)
{
  std::string text;
  while (in->NextToken() && !in->CompareCurrentToken(";")) {
    text += ' ';
    text += command_word(in->CurrentToken(), punct);
  }
  return text;
}

// Skips to END or ENDBLOCK after a block that was not read to its end, then
// expects the ";" behind it. False when the block had no proper end.
bool end_block(tNexusInput* in)
{
  if (!in->CurrentTokenIsEnd()) {
    message("(Skipping to end of block)\n");
    while (in->NextToken() && !in->CurrentTokenIsEnd()) {
    }
  }
  if (!in->CompareNextToken(";"))
    return in->Error("Input", "Expected: ';'");
  return true;
}

void general_help()
{
  message("\nCommands:\n");
  message("        open filename; save [blocks] filename; show [{blocks|keywords}];\n");
  message("        assume assumption; draw [geometry commands];\n");
  message("        bootstrap number-of-runs;\n");
  message("        ps [filename];");
  message("\n");
  message("        fig [filename];");
  message("        help [name]; title name; info; version, thanks, close; quit;\n");
  message("        import REAP filename;\n");
  message("Blocks:\n");
  message("        TAXA CHARACTERS DISTANCES TREES\n");
  message("        QV_SPECTRA QV_SPLITS QV_GRAPH\n");
  message("        QV_ASSUMPTIONS QV_COMMANDS QV_EXTRAS QV_BOOTSTRAP\n");
  message("Pictures also as: svg [filename]; pdf [filename];\n");
}

struct tHelpTopic {
  const char* name;
  std::vector<const char*> lines;
};

// Shows the usage of the first block, in the order given, that has this name.
template <class... tBlock> bool show_usage_of(const char* name, const tBlock*... blocks)
{
  return ((blocks->compare_name(name) && (blocks->show_usage(), true)) || ...);
}

const std::vector<tHelpTopic>& help_topics()
{
  static const std::vector<tHelpTopic> topics = {
    {"OPEN", {"open filename; - Read commands from a file in NEXUS format\n"}},
    {"VERSION", {"version; - Program version\n"}},
    {"SAVE", {"save [blocks] filename; - Save blocks to a file\n",
              "If no blocks listed, saves all valid blocks\n"}},
    {"SHOW", {"show [blocks]; - Show valid blocks on screen\n",
              "If no blocks listed, shows all valid blocks\n",
              "show {TREE | TREETOP}; - Show tree (or tree topology)\n",
              "in Newick's 8:45 standard format\n"}},
    {"INFO", {"info; - Show summary of valid blocks\n"}},
    {"ASSUME", {"ASSUME assumption; - this is a short-cut for entering assumptions that\n",
                "usually go in the QV_ASSUMPTIONS-block, e.g.:\n",
                "assume transform=logdet;  to set the transform to logdet, or\n",
                "assume method=dtree;  to set the method to dtree (Buneman tree).\n",
                "Type 'help qv_assumptions' for all commands.\n"}},
    {"DRAW", {"draw [draw-commands]; - Draw the current splitsgraph, if valid\n",
              "Draw commands are ones found in the DRAW part of the QV_GRAPH block\n"}},
    {"PS", {"ps [filename]; - Save the current splits graph in PostScript\n"}},
    {"SVG", {"svg [filename]; - Save the current splits graph in SVG\n"}},
    {"PDF", {"pdf [filename]; - Save the current splits graph in PDF\n"}},
    {"FIG", {"fig [filename]; - Save the current splits graph in FIG 3.2 format\n"}},
    {"IMPORT", {"import REAP filename; - Import restriction site data in REAP format\n"}},
    {"CLOSE", {"close; - Delete all blocks\n"}},
    {"QUIT", {"quit; - Quit reading commands from current stream\n"}},
    {"TITLE", {"title name; - Set current document title\n"}},
    {"HELP", {"help [blocks commands]; - Summarize syntax and usage\n"}},
    {"BOOTSTRAP", {"bootstrap number-of-runs; - Compute bootstrap support\n"}},
    {"FILES", {"\nInput files must be prepared in the new NEXUS format.\n",
               "A typical input file will have the following structure:\n",
               "\n#NEXUS\nTaxa-block\n\tand\nCharacters-block\n\tor\n",
               "Distances-block\n"}},
  };
  return topics;
}

} // namespace

// The commands of the reading loop. Each returns what the loop does next.
class tParser {
public:
  enum tStep { FINISH, NEXT, STOP };

  tParser(tDocument* doc, tNexusInput* in) : doc(doc), in(in) {}

  tStep command();

private:
  tDocument* doc;
  tNexusInput* in;

  bool is(const char* word) const { return in->CompareCurrentToken(word); }
  // The command word followed by ";": consumes the ";" when it is there.
  bool followed_by_semicolon() { return in->CompareNextToken(";"); }

  void trunc_names();
  void messages();
  void open();
  bool read_name(std::string* name, bool* at_end = nullptr);
  bool title();
  void import();
  bool collect_words(std::vector<std::string>* words, const char* where);
  void save();
  void show();
  void help();
  void info();
  void assume();
  void bootstrap();
  void picture(tPictureFormat format);
  tStep begin();
  bool known_block(const char* name) const;
  void characters_block(const char* name);
  void trees_block();
  tStep commands_block();

  // Character blocks of this stream so far, and the one in use (0: none).
  int char_blocks = 0;
  int char_block_used = 0;
  // A TAXA block (or a block that made the taxa) was read in this stream.
  bool taxa_in_stream = false;
  void print_block(const char* name, tNexusOutput* out, int consistent, const char* where);
};

tParser::tStep tParser::command()
{
  if (is("#NEXUS") || is(";"))
    return NEXT;

  // Commands that do not have their form fall through to the ones below
  // with whatever token is current by then.
  if (is("TEST")) {
    if (in->NextToken() && followed_by_semicolon()) {
      test();
      return FINISH;
    }
  }
  if (is("trunc_names")) {
    trunc_names();
    return FINISH;
  }
  if (is("messages")) {
    messages();
    return FINISH;
  }
  if (is("OPEN") || is("READ")) {
    open();
    return FINISH;
  }
  if (is("TITLE") && title())
    return FINISH;
  if (is("IMPORT")) {
    import();
    return FINISH;
  }
  if (is("SAVE")) {
    save();
    return FINISH;
  }
  if (is("SHOW")) {
    show();
    return FINISH;
  }
  if (is("VERSION") && followed_by_semicolon()) {
    message("%s\n", the_version());
    return FINISH;
  }
  if (is("THANKS") && followed_by_semicolon()) {
    thanks();
    return FINISH;
  }
  if (is("VALID") && followed_by_semicolon())
    return FINISH;
  if (is("HELP")) {
    help();
    return FINISH;
  }
  if (is("info") && followed_by_semicolon()) {
    info();
    return FINISH;
  }
  if (is("CLOSE") && followed_by_semicolon()) {
    doc->reset();
    doc->set_title(nullptr);
    return FINISH;
  }
  if (is("QUIT") && followed_by_semicolon()) {
    std::fflush(stdout);
    std::exit(0);
  }
  if (is("ASSUME")) {
    assume();
    return NEXT;
  }
  if (is("BOOTSTRAP")) {
    bootstrap();
    return FINISH;
  }
  if (is("COMPUTE") && followed_by_semicolon()) {
    if (doc->assumptions->valid()) {
      doc->freeze_update = 0;
      doc->assumptions->update.post(tUpdate::ALL);
    } else {
      in->Warning("COMPUTE", "No valid QV_ASSUMPTIONS block");
    }
    return FINISH;
  }
  if (is("DRAW")) {
    doc->sgraph->read_draw(in, doc->splits.get());
    return FINISH;
  }
  if (is("COPY")) {
    warning("COPY: not implemented");
    note_failure();
    return FINISH;
  }
  if (is("PRINT")) {
    warning("PRINT: not implemented");
    note_failure();
    return FINISH;
  }
  if (is("PS")) {
    picture(tPictureFormat::PS);
    return FINISH;
  }
  if (is("SVG")) {
    picture(tPictureFormat::SVG);
    return FINISH;
  }
  if (is("PDF")) {
    picture(tPictureFormat::PDF);
    return FINISH;
  }
  if (is("BEGIN")) {
    return begin();
  }
  if (is("freeze") && followed_by_semicolon()) {
    doc->freeze_update++;
    return FINISH;
  }
  if (is("unfreeze") && followed_by_semicolon()) {
    // A stray unfreeze must not switch the pipeline off for good.
    if (doc->freeze_update > 0)
      doc->freeze_update--;
    doc->assumptions->update.unpost(tUpdate::ALL);
    return FINISH;
  }

  const char* token = in->CurrentToken();
  if (!token)
    return STOP;
  in->Error("Input", "Unexpected token: %s", token);
  in->SkipToEndOfLine();
  return FINISH;
}

void tParser::trunc_names()
{
  int n = 0;
  if (in->ReadNextTokenInt(&n) && followed_by_semicolon() && doc->taxa->truncate_labels(n))
    return;
  in->Error("truncate-command", "Usage: TRUNCATE number]");
}

void tParser::messages()
{
  if (in->CompareNextToken("+"))
    message("++");
  else if (in->CompareCurrentToken("-"))
    message("--");
  else
    in->Error("MESSAGES-command", "Usage: MESSAGES{+|-}");
}

// Reads "name ;" with only ";" splitting, so that names keep their slashes,
// dots and signs. At the end of input `at_end` is set (when asked for).
bool tParser::read_name(std::string* name, bool* at_end)
{
  tPunctuationScope punct(in, NAME_ONLY_PUNCTUATION);
  if (!in->NextToken()) {
    if (at_end)
      *at_end = true;
    return false;
  }
  if (is(";"))
    return false;
  *name = in->CurrentToken();
  return followed_by_semicolon();
}

void tParser::open()
{
  std::string name;
  if (!read_name(&name))
    in->Error("OPEN-command", "Usage: OPEN filename;");
  else
    doc->read_file(name.c_str());
}

bool tParser::title()
{
  std::string name;
  bool at_end = false;
  if (read_name(&name, &at_end))
    doc->set_title(name.c_str());
  else if (at_end)
    return false;
  else
    in->Error("TITLE-command", "Usage: TITLE name;");
  return true;
}

void tParser::import()
{
  std::string name;
  if (!in->CompareNextToken("REAP") || !read_name(&name))
    in->Error("Input", "Usage: IMPORT REAP filename;");
  else
    doc->import_reap(name.c_str());
}

bool tParser::collect_words(std::vector<std::string>* words, const char* where)
{
  tPunctuationScope punct(in, NAME_ONLY_PUNCTUATION);
  while (in->NextToken() && !is(";")) {
    if (static_cast<int>(words->size()) == MAX_BLOCK_WORDS) {
      in->Error(where, "Too many blocks");
      in->SkipToSemiColon();
      return false;
    }
    words->push_back(in->CurrentToken());
  }
  return true;
}

void tParser::print_block(const char* name, tNexusOutput* out, int consistent, const char* where)
{
  tTaxaBlk* taxa = doc->taxa.get();
  if (doc->taxa->compare_name(name))
    doc->taxa->print(out);
  else if (doc->characters->compare_name(name))
    doc->characters->print(1, out, taxa);
  else if (doc->distances->compare_name(name))
    doc->distances->print(out, taxa);
  else if (doc->trees->compare_name(name))
    doc->trees->print(out, taxa);
  else if (doc->spectra->compare_name(name))
    doc->spectra->print(out, taxa);
  else if (doc->splits->compare_name(name))
    doc->splits->print(out, taxa);
  else if (doc->sgraph->compare_name(name))
    doc->sgraph->print(out, taxa);
  else if (doc->assumptions->compare_name(name))
    doc->assumptions->print(out, taxa, consistent);
  else if (doc->sets->compare_name(name))
    doc->sets->print(out, taxa);
  else if (doc->extras->compare_name(name))
    doc->extras->print(out, taxa);
  else if (doc->bootstrap->compare_name(name))
    doc->bootstrap->print(out, taxa);
  else if (!std::strcmp(where, "SHOW-command") && (same_token(name, "TREE") || same_token(name, "TREETOP")))
    tree_out(name, taxa, doc->splits.get(), doc->sgraph.get());
  else
    in->Warning(where, "Unknown block type: %s", name);
}

void tParser::save()
{
  std::vector<std::string> words;
  if (!collect_words(&words, "SAVE-command"))
    return;
  if (words.empty()) {
    in->Error("SAVE-command", "Usage: SAVE [blocks] filename;");
    return;
  }
  const char* filename = words.back().c_str();
  if (words.size() == 1) {
    doc->print_file(filename);
    return;
  }
  tNexusOutput out;
  tSafeSave save;
  if (!open_safe_output(&out, filename, &save))
    return;
  out.Print("#NEXUS\n");
  out.Write(doc->get_comments());
  for (size_t i = 0; i + 1 < words.size(); i++)
    print_block(words[i].c_str(), &out, 0, "SAVE-command");
  commit_safe_output(&out, filename, save);
}

void tParser::show()
{
  std::vector<std::string> words;
  if (!collect_words(&words, "SHOW-blocks"))
    return;
  tNexusOutput out;
  out.OpenString();
  if (words.empty()) {
    doc->print_nexus(&out);
  } else {
    const int consistent = doc->assumptions->update.updates == 0 ? 1 : 0;
    for (const std::string& name : words)
      print_block(name.c_str(), &out, consistent, "SHOW-command");
  }
  // Shown even while messages are switched off.
  tcltk_log(out.GetString());
}

void tParser::help()
{
  if (!in->NextToken())
    return;
  if (is(";")) {
    general_help();
    return;
  }
  const std::string name = in->CurrentToken();
  if (!followed_by_semicolon())
    return;
  message("\n");
  const char* n = name.c_str();
  if (show_usage_of(n, doc->taxa.get(), doc->characters.get(), doc->distances.get(), doc->spectra.get(),
                    doc->splits.get(), doc->sgraph.get(), doc->sets.get(), doc->assumptions.get(),
                    doc->extras.get(), doc->bootstrap.get(), doc->commands.get(), doc->trees.get()))
    return;
  for (const tHelpTopic& topic : help_topics()) {
    if (same_token(n, topic.name)) {
      for (const char* line : topic.lines)
        message("%s", line);
      return;
    }
  }
  message("No such command or block: %s\n", n);
}

void tParser::info()
{
  message("\n--------------------------Info---------------------------\n");
  message("Document: %s\n", doc->get_title());
  doc->taxa->show_info();
  doc->characters->show_info();
  doc->distances->show_info();
  // A document without trees keeps the information it always printed.
  if (doc->trees->valid())
    doc->trees->show_info();
  doc->spectra->show_info();
  doc->splits->show_info();
  doc->sgraph->show_info();
  doc->extras->show_info();
  doc->bootstrap->show_info();
  message("---------------------------------------------------------\n");
}

void tParser::assume()
{
  // Only ";" splits while the words are collected, so that signed numbers and
  // exponents (threshold=1e-3, cut=-0.5) reach the assumptions reader whole.
  std::string words;
  {
    tPunctuationScope punct(in, NAME_ONLY_PUNCTUATION);
    words = collect_command(in, NAME_ONLY_PUNCTUATION);
  }
  const std::string text = "begin QV_ASSUMPTIONS;" + words + ";end;\n";
  doc->read_string(text.c_str());
}

void tParser::bootstrap()
{
  int runs = 0;
  if (!in->ReadNextTokenInt(&runs) || runs < 1 || !followed_by_semicolon()) {
    in->Error("Input-bootstrap", "Usage: BOOTSTRAP number-of-runs;");
    return;
  }
  char text[64];
  std::snprintf(text, sizeof text, "begin QV_BOOTSTRAP;runs=%d;end;\n", runs);
  message("%s", text);
  // The new block starts from the defaults whatever the old one held, so the
  // old one can wait aside: a stopped or refused bootstrap gets it back.
  std::unique_ptr<tBootstrapBlk> before = std::move(doc->bootstrap);
  doc->bootstrap = std::make_unique<tBootstrapBlk>();
  doc->read_string(text);
  if (stop_requested()) {
    doc->bootstrap = std::move(before);
    message("Bootstrap cancelled: the document is as it was before\n");
  } else if (!doc->bootstrap->valid()) {
    doc->bootstrap = std::move(before);
  }
}

void tParser::picture(tPictureFormat format)
{
  const tPictureKind& kind = picture_kind(format);
  std::string filename;
  bool ok;
  {
    tPunctuationScope punct(in, NAME_ONLY_PUNCTUATION);
    ok = in->NextToken() != nullptr;
    if (ok && is(";")) {
      filename = std::string(doc->get_title()) + kind.extension;
    } else if (ok) {
      filename = in->CurrentToken();
      ok = followed_by_semicolon();
    }
  }
  if (!ok) {
    const std::string where = "Input-" + std::string(kind.extension + 1);
    in->Error(where.c_str(), "Usage: %s [filename];", kind.command);
    return;
  }
  const long failures = failure_count();
  // Without a network nothing is written: the caller must learn that too.
  if (!doc->sgraph->write_picture(format, doc->taxa.get(), doc->splits.get(), doc->bootstrap.get(),
                                  doc->short_info_string(), filename.c_str(), doc->get_title()) &&
      failure_count() == failures)
    note_failure();
}

bool tParser::known_block(const char* n) const
{
  return doc->taxa->compare_name(n) || doc->characters->compare_name(n) || same_token(n, "DATA") ||
         doc->distances->compare_name(n) || doc->spectra->compare_name(n) || doc->splits->compare_name(n) ||
         doc->sgraph->compare_name(n) || doc->sets->compare_name(n) || doc->assumptions->compare_name(n) ||
         doc->extras->compare_name(n) || doc->bootstrap->compare_name(n) || doc->commands->compare_name(n) ||
         doc->trees->compare_name(n);
}

tParser::tStep tParser::begin()
{
  std::string header;
  if (in->flush_comments(&header))
    doc->comments = header;

  // Kept only if no block of ours takes the name; the text of our own
  // blocks is not held twice.
  in->StartCapture();
  if (!in->NextToken()) {
    in->EndCapture();
    return STOP;
  }
  const std::string name = in->CurrentToken();
  // TREES, SETS and character blocks are held until we know whether they
  // were taken whole.
  const bool held = doc->trees->compare_name(name.c_str()) || doc->characters->compare_name(name.c_str()) ||
                    same_token(name.c_str(), "DATA") || doc->sets->compare_name(name.c_str());
  if (known_block(name.c_str()) && !held)
    in->EndCapture();
  bool foreign = false;
  const char* n = name.c_str();
  tUpdate& update = doc->assumptions->update;
  tTaxaBlk* taxa = doc->taxa.get();

  if (doc->taxa->compare_name(n)) {
    if (doc->taxa->valid()) {
      doc->reset();
      if (!in->IsFile())
        doc->set_title(nullptr);
    }
    doc->taxa->read(in);
    doc->assumptions->update.unpost(1);
    taxa_in_stream = true;
  } else if (doc->characters->compare_name(n) || same_token(n, "DATA")) {
    characters_block(n);
    // A block skipped or refused would be lost on saving: it keeps its own words.
    foreign = char_block_used != char_blocks;
  } else if (doc->distances->compare_name(n)) {
    if (doc->distances->read(in, taxa)) {
      update.unpost(4);
      update.post(8);
    }
  } else if (doc->trees->compare_name(n)) {
    trees_block();
    // Trees we refused would be lost on saving: the block keeps its own words.
    foreign = doc->trees->last_read_incomplete();
  } else if (doc->spectra->compare_name(n)) {
    if (doc->spectra->read(in, taxa)) {
      update.unpost(64);
      update.post(8);
    }
  } else if (doc->splits->compare_name(n)) {
    if (doc->splits->read(in, taxa)) {
      update.unpost(8);
      update.post(16);
    }
  } else if (doc->sgraph->compare_name(n)) {
    if (doc->sgraph->read(in, taxa, doc->splits.get()))
      update.unpost(16);
  } else if (doc->sets->compare_name(n)) {
    // Sets we refused (names of taxa, partitions) would be lost on saving.
    foreign = !doc->sets->read(in, taxa);
  } else if (doc->assumptions->compare_name(n)) {
    doc->assumptions->read(in, taxa);
    doc->check_assumptions();
    doc->assumptions->update.unpost(32);
  } else if (doc->extras->compare_name(n)) {
    doc->extras->read(in, taxa, doc->assumptions.get(), doc->characters.get());
  } else if (doc->bootstrap->compare_name(n)) {
    doc->bootstrap->read(in, taxa, doc->assumptions.get(), doc->characters.get(), doc->splits.get());
  } else if (doc->commands->compare_name(n)) {
    return commands_block();
  } else {
    in->Warning("Input", "Unknown block type: %s", n);
    foreign = true;
  }
  const bool ended = end_block(in);
  std::string text = in->EndCapture();
  // A block cut short (reported above) would swallow what follows it.
  if (foreign && ended) {
    doc->foreign_blocks.push_back(std::move(text));
    if (doc->trees->compare_name(n))
      doc->trees->mark_last_read_verbatim();
  }
  return FINISH;
}

// A CHARACTERS block, or a DATA block (the older form that may bring its own
// taxa). Files of other programs often hold several; the first one that can
// be read is used and the log says which.
void tParser::characters_block(const char* name)
{
  tTaxaBlk* taxa = doc->taxa.get();
  char_blocks++;
  if (char_block_used > 0 && doc->characters->valid()) {
    message("CHARACTERS: character block %d (%s) skipped: block %d is in use\n", char_blocks, name,
            char_block_used);
    return;
  }
  // A DATA block brings its own taxa unless a TAXA block came before it:
  // like a new TAXA block, it starts a new document.
  if (same_token(name, "DATA") && !taxa_in_stream && taxa->valid()) {
    doc->reset();
    if (!in->IsFile())
      doc->set_title(nullptr);
    taxa = doc->taxa.get();
  }
  // What a block of this stream that failed had set must not shape the next one.
  if (char_blocks > 1 && !doc->characters->valid())
    doc->characters = std::make_unique<tCharactersBlk>();
  const bool had_taxa = taxa->valid();
  if (!doc->characters->read(in, taxa))
    return;
  tUpdate& update = doc->assumptions->update;
  if (!had_taxa) {
    update.unpost(1);
    taxa_in_stream = true;
  }
  taxa->set_nchar(doc->characters->get_nchar());
  update.unpost(2);
  update.post(4 | 8 | 64);
  char_block_used = char_blocks;
  if (char_blocks > 1)
    message("CHARACTERS: using character block %d (%s), the first that could be read\n", char_blocks, name);
}

// A TREES block. In a file without taxa of its own it brings them (a file
// opened later must not be read against the taxa of the one before).
void tParser::trees_block()
{
  if (!taxa_in_stream && in->IsFile() && doc->taxa->valid())
    doc->reset();
  const bool had_taxa = doc->taxa->valid();
  if (!doc->trees->read(in, doc->taxa.get()))
    return;
  tUpdate& update = doc->assumptions->update;
  if (!had_taxa && doc->taxa->valid()) {
    update.unpost(1);
    taxa_in_stream = true;
  }
  update.post(8);
}

// Runs each command of a QV_COMMANDS block through its own nested loop.
tParser::tStep tParser::commands_block()
{
  if (!in->CompareNextToken(";"))
    in->Error("QV_COMMANDS", "Expected ';'");
  bool found_end = false;
  for (;;) {
    // File names and other words keep their slashes and signs: only ";" splits.
    std::string text;
    {
      tPunctuationScope punct(in, NAME_ONLY_PUNCTUATION);
      if (!in->NextToken())
        break;
      if (in->CurrentTokenIsEnd()) {
        found_end = true;
        break;
      }
      if (!is(";")) {
        text = command_word(in->CurrentToken(), NAME_ONLY_PUNCTUATION);
        text += collect_command(in, NAME_ONLY_PUNCTUATION);
      }
    }
    text += ';';
    doc->read_string(text.c_str());
  }
  if (!found_end || !in->CompareNextToken(";"))
    in->Error("QV_COMMANDS", "Couldn't find END;");
  return NEXT;
}

int tDocument::read_nexus(tNexusInput* in)
{
  // A new input from the user forgets an earlier stop request; the inputs
  // that commands and replicates read inside it keep it.
  static thread_local int depth = 0;
  struct tDepth {
    tDepth() { depth++; }
    ~tDepth() { depth--; }
  } nesting;
  if (depth == 1 && !is_quiet_thread())
    clear_stop();

  tParser parser(this, in);
  while (!in->atEOF()) {
    in->Prompt();
    if (!in->NextToken())
      return 1;
    const tParser::tStep step = parser.command();
    if (step == tParser::STOP)
      return 1;
    if (step != tParser::NEXT && freeze_update == 0)
      update_blocks();
    // The user stopped a computation: the rest of the input is not run.
    if (stop_requested())
      return 1;
  }
  return 1;
}
