#include "document/document.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <algorithm>
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
  if (characters->valid())
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
  std::string tmpname;
  if (!open_safe_output(&out, filename, &tmpname))
    return 0;
  print_with_foreign(&out);
  if (!commit_safe_output(&out, filename, tmpname))
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

namespace {

// The temporary file of the save in progress: a signal that ends the program
// during the save removes it first.
std::atomic<char*> g_temp{nullptr};
struct sigaction g_old_int, g_old_term;
volatile sig_atomic_t g_caught = 0;

extern "C" void on_signal_during_save(int sig)
{
  // Only async-signal-safe calls here.
  char* name = g_temp.load();
  if (name)
    unlink(name);
  g_caught = g_caught | (sig == SIGINT ? 1 : 2);
  sigaction(sig, sig == SIGINT ? &g_old_int : &g_old_term, nullptr);
  // Delivered when this handler returns, to whatever handled it before.
  raise(sig);
}

void guard_temp(const std::string& name)
{
  char* copy = new char[name.size() + 1];
  std::memcpy(copy, name.c_str(), name.size() + 1);
  delete[] g_temp.exchange(copy);
  g_caught = 0;
  struct sigaction sa = {};
  sa.sa_handler = on_signal_during_save;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &g_old_int);
  sigaction(SIGTERM, &sa, &g_old_term);
}

void unguard_temp()
{
  if (!g_temp.load())
    return;
  // A signal that came has put its old handler back already.
  if (!(g_caught & 1))
    sigaction(SIGINT, &g_old_int, nullptr);
  if (!(g_caught & 2))
    sigaction(SIGTERM, &g_old_term, nullptr);
  delete[] g_temp.exchange(nullptr);
}

// Follows symbolic links in the last part of the name, dangling ones too, so
// that a save writes through a link instead of replacing it.
bool resolve_target(const char* filename, std::string* target)
{
  std::string name = filename;
  for (int hops = 0; hops < 40; hops++) {
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = name;
      return true;
    }
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
    const ssize_t n = readlink(name.c_str(), buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size())
      return false;
    std::string link(buf.data(), static_cast<size_t>(n));
    const size_t slash = name.rfind('/');
    if (link[0] != '/' && slash != std::string::npos)
      link = name.substr(0, slash + 1) + link;
    name = link;
  }
  return false;
}

int refuse(const char* format, const char* filename)
{
  warning(format, filename);
  note_failure();
  return 0;
}

bool write_all(int fd, const std::string& text)
{
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Another name shares the file: it must see the new text, so the file is
// rewritten where it is (the text is complete by now).
bool write_in_place(const std::string& target, const std::string& text)
{
  const int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ftruncate(fd, 0) == 0 && write_all(fd, text) &&
            fsync(fd) == 0;
  if (close(fd) != 0)
    ok = false;
  return ok;
}

unsigned g_temp_count = 0;

} // namespace

int open_safe_output(tNexusOutput* out, const char* filename, std::string* tmpname, const char* cant_open)
{
  if (!cant_open)
    cant_open = "Can't open file: %s to write";
  tmpname->clear();
  std::string target;
  if (!resolve_target(filename, &target))
    return refuse(cant_open, filename);
  struct stat st;
  const bool exists = stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode))
    return refuse("Refuse to write file: %s, it is not a regular file", filename);
  // Root may write anything: the mode bits say what the owner meant.
  if (exists && ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0))
    return refuse("Refuse to write file: %s, it is read-only", filename);
  if (exists && st.st_nlink > 1) {
    out->OpenString();
    return 1;
  }
  // A short name of its own, so that any name the folder allows can be saved.
  const size_t slash = target.rfind('/');
  char base[64];
  std::snprintf(base, sizeof base, ".qv%ld-%uXXXXXX", static_cast<long>(getpid()), ++g_temp_count);
  std::string name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + base;
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  const int fd = mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0)
    return refuse(cant_open, filename);
  *tmpname = buf.data();
  guard_temp(*tmpname);
  // Keep the owner and permissions of the file we replace, or give a new
  // file the usual ones. Only root may give a file away: elsewhere it fails.
  if (exists) {
    if (fchown(fd, st.st_uid, st.st_gid) != 0) {
    }
    fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  if (!out->OpenFd(fd)) {
    unlink(tmpname->c_str());
    unguard_temp();
    tmpname->clear();
    return refuse(cant_open, filename);
  }
  return 1;
}

int commit_safe_output(tNexusOutput* out, const char* filename, const std::string& tmpname)
{
  std::string target;
  bool ok;
  if (tmpname.empty()) {
    ok = out->Good() && resolve_target(filename, &target) && write_in_place(target, out->GetString());
    out->CloseString();
  } else {
    out->CloseFile();
    ok = out->Good() && resolve_target(filename, &target) && std::rename(tmpname.c_str(), target.c_str()) == 0;
    if (!ok)
      unlink(tmpname.c_str());
    unguard_temp();
  }
  if (!ok)
    return refuse("Couldn't write file: %s", filename);
  return 1;
}

void abandon_safe_output(tNexusOutput* out, const std::string& tmpname)
{
  if (tmpname.empty()) {
    out->CloseString();
    return;
  }
  out->CloseFile();
  unlink(tmpname.c_str());
  unguard_temp();
}
