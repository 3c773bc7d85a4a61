#include "document/document.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
  tNexusInput in;
  if (!in.OpenFile(1, filename))
    return 0;
  const int freeze = freeze_update;
  freeze_update = 1;
  set_title(filename);
  read_nexus(&in);
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
  if (has_comments)
    out->Print("%s", comments.c_str());
  if (taxa->valid())
    taxa->print(out);
  if (characters->valid())
    characters->print(1, out, taxa.get());
  if (distances->valid())
    distances->print(out, taxa.get());
  if (trees->valid())
    trees->print(out, taxa.get());
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

int tDocument::print_file(const char* filename)
{
  tNexusOutput out;
  std::string tmpname;
  if (!open_safe_output(&out, filename, &tmpname))
    return 0;
  print_nexus(&out);
  if (!commit_safe_output(&out, filename, tmpname))
    return 0;
  set_title(filename);
  return 1;
}

void tDocument::update_blocks()
{
  check_assumptions();
  assumptions->update_taxa(taxa.get());
  characters->compute(taxa.get(), assumptions.get());
  distances->compute(taxa.get(), assumptions.get(), characters.get());
  spectra->compute(taxa.get(), assumptions.get(), characters.get());
  splits->compute(taxa.get(), assumptions.get(), distances.get(), spectra.get(), characters.get(), 1, trees.get());
  sgraph->compute(taxa.get(), assumptions.get(), splits.get());
  extras->compute(taxa.get(), assumptions.get(), characters.get(), distances.get());
  bootstrap->compute(taxa.get(), assumptions.get(), characters.get(), splits.get(), sgraph.get());
  assumptions->update.unpost(tUpdate::ALL);
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

int open_safe_output(tNexusOutput* out, const char* filename, std::string* tmpname)
{
  std::string name = std::string(filename) + ".tmpXXXXXX";
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  const int fd = mkstemp(buf.data());
  if (fd < 0) {
    warning("Can't open file: %s to write", filename);
    return 0;
  }
  // Keep the permissions of the file we replace, or give a new file the usual ones.
  struct stat st;
  mode_t mode;
  if (stat(filename, &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(fd, mode);
  close(fd);
  *tmpname = buf.data();
  if (!out->OpenFile(tmpname->c_str())) {
    std::remove(tmpname->c_str());
    return 0;
  }
  return 1;
}

int commit_safe_output(tNexusOutput* out, const char* filename, const std::string& tmpname)
{
  out->CloseFile();
  if (!out->Good() || std::rename(tmpname.c_str(), filename) != 0) {
    std::remove(tmpname.c_str());
    warning("Couldn't write file: %s", filename);
    return 0;
  }
  return 1;
}
