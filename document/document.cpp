#include "document/document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "core/message.h"
#include "nexus/nexus.h"

tDocument::tDocument() { init(); }

tDocument::~tDocument() { clear(); }

void tDocument::init()
{
  taxa = std::make_unique<tTaxaBlk>();
  assumptions = std::make_unique<tAssumptionsBlk>();
  characters = std::make_unique<tCharactersBlk>();
  distances = std::make_unique<tDistancesBlk>();
  spectra = std::make_unique<tSpectraBlk>();
  splits = std::make_unique<tSplitsBlk>();
  sgraph = std::make_unique<tSplitsGraphBlk>();
  sets = std::make_unique<tSetsBlk>();
  extras = std::make_unique<tExtrasBlk>();
  bootstrap = std::make_unique<tBootstrapBlk>();
  commands = std::make_unique<tCommandsBlk>();
  trees = std::make_unique<tTreesBlk>();
}

void tDocument::clear()
{
  taxa.reset();
  characters.reset();
  distances.reset();
  spectra.reset();
  assumptions.reset();
  splits.reset();
  sgraph.reset();
  sets.reset();
  extras.reset();
  bootstrap.reset();
  commands.reset();
  trees.reset();
}

void tDocument::reset()
{
  clear();
  init();
  // They came with the data that is gone now.
  foreign_blocks.clear();
}

const char* tDocument::get_title() const { return has_title ? title.c_str() : "Untitled"; }

void tDocument::set_title(const char* name)
{
  if (!name) {
    has_title = false;
    title.clear();
    return;
  }
  const char* slash = std::strrchr(name, '/');
  title = (slash && slash[1]) ? slash + 1 : name;
  has_title = true;
}

int tDocument::read_file(const char* filename)
{
  // A file that opens itself, directly or through others, would recurse
  // until the stack is gone, and one that does so twice would take
  // exponential time before that.
  struct stat st;
  const bool known = stat(filename, &st) == 0;
  const std::pair<dev_t, ino_t> id = known ? std::make_pair(st.st_dev, st.st_ino) : std::make_pair(dev_t(), ino_t());
  if (known && std::find(files_open.begin(), files_open.end(), id) != files_open.end()) {
    warning("Can't open file: %s (it is being read already)", filename);
    note_failure();
    return 0;
  }
  if (static_cast<int>(files_open.size()) >= MAX_OPEN_DEPTH) {
    warning("Can't open file: %s (more than %d files open one another)", filename, MAX_OPEN_DEPTH);
    note_failure();
    return 0;
  }
  tNexusInput in;
  if (!in.OpenFile(1, filename)) {
    note_failure();
    return 0;
  }
  const int freeze = freeze_update;
  freeze_update = 1;
  set_title(filename);
  files_open.push_back(id);
  read_nexus(&in);
  files_open.pop_back();
  in.CloseFile();
  freeze_update = freeze;
  if (freeze_update == 0)
    update_blocks();
  return 1;
}

int tDocument::read_string(const char* text)
{
  if (std::strlen(text) >= MAX_INPUT_STRING + 1) {
    warning("Input string too long");
    note_failure();
    return 0;
  }
  std::string buffer(text);
  buffer += ';';
  tNexusInput in;
  if (in.OpenString(buffer.c_str()) > 0)
    read_nexus(&in);
  return 1;
}

void tDocument::print_nexus(tNexusOutput* out)
{
  if (!out)
    return;
  out->Print("#NEXUS\n");
  out->Write(comments);
  if (taxa->valid())
    taxa->print(out);
  if (characters->valid() || characters->holds_matrix())
    characters->print(1, out, taxa.get());
  if (distances->valid())
    distances->print(out, taxa.get());
  if (trees->valid())
    trees->print(out, taxa.get(), true);
  if (spectra->valid())
    spectra->print(out, taxa.get());
  if (splits->valid())
    splits->print(out, taxa.get());
  if (sgraph->valid())
    sgraph->print(out, taxa.get());
  if (sets->valid())
    sets->print(out, taxa.get());
  if (extras->valid())
    extras->print(out, taxa.get());
  if (bootstrap->valid())
    bootstrap->print(out, taxa.get());
  if (assumptions->valid())
    assumptions->print(out, taxa.get(), 1);
}

void tDocument::print_with_foreign(tNexusOutput* out)
{
  if (!out)
    return;
  print_nexus(out);
  for (const std::string& block : foreign_blocks) {
    out->Write(block);
    out->Print("\n");
  }
}

int tDocument::print_file(const char* filename)
{
  tNexusOutput out;
  tSafeSave save;
  if (!open_safe_output(&out, filename, &save))
    return 0;
  print_with_foreign(&out);
  if (!commit_safe_output(&out, filename, save))
    return 0;
  set_title(filename);
  return 1;
}

void tDocument::update_blocks()
{
  // What a failed step would leave behind as if it still held.
  const bool had_splits = splits->valid();
  const bool had_graph = sgraph->valid();
  check_assumptions();
  assumptions->update_taxa(taxa.get());
  characters->compute(taxa.get(), assumptions.get());
  const char* failed = nullptr;
  if (!distances->compute(taxa.get(), assumptions.get(), characters.get()))
    failed = "DISTANCES";
  if (!spectra->compute(taxa.get(), assumptions.get(), characters.get()) && !failed)
    failed = "QV_SPECTRA";
  if (!splits->compute(taxa.get(), assumptions.get(), distances.get(), spectra.get(), characters.get(), 1,
                       trees.get()) &&
      !failed)
    failed = "QV_SPLITS";
  // Splits kept from before belong to the input that could not be computed.
  if (failed)
    splits->discard();
  sgraph->compute(taxa.get(), assumptions.get(), splits.get());
  if (failed)
    sgraph->discard_graph();
  extras->compute(taxa.get(), assumptions.get(), characters.get(), distances.get());
  const bool had_support = bootstrap->get_support() != nullptr;
  bootstrap->compute(taxa.get(), assumptions.get(), characters.get(), splits.get(), sgraph.get());
  if (failed) {
    // Support counted for splits that are gone.
    if (had_support && bootstrap->get_support())
      bootstrap->clear();
    report_failed_step(failed, had_splits, had_graph, had_support);
  }
  assumptions->update.unpost(tUpdate::ALL);
}

void tDocument::report_failed_step(const char* step, bool had_splits, bool had_graph, bool had_support)
{
  note_failure();
  std::vector<const char*> cleared;
  if (had_splits)
    cleared.push_back("QV_SPLITS");
  if (had_graph)
    cleared.push_back("QV_GRAPH");
  if (had_support)
    cleared.push_back("QV_BOOTSTRAP");
  if (cleared.empty())
    return;
  std::string names = cleared[0];
  for (size_t i = 1; i < cleared.size(); i++)
    names += std::string(i + 1 == cleared.size() ? " and " : ", ") + cleared[i];
  message("%s cleared: the computation of %s failed\n", names.c_str(), step);
}

void tDocument::update_blocks_bootstrapping()
{
  assumptions->update.post(tUpdate::ALL);
  assumptions->update.unpost(1);
  distances->compute(taxa.get(), assumptions.get(), characters.get());
  spectra->compute(taxa.get(), assumptions.get(), characters.get());
  splits->compute(taxa.get(), assumptions.get(), distances.get(), spectra.get(), characters.get(), 0, trees.get());
  assumptions->update.unpost(tUpdate::ALL);
}
