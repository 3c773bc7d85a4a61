#include "blocks/blk_bootstrap.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "blocks/blk_characters.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/parallel.h"
#include "core/progress.h"
#include "core/random.h"
#include "core/sets.h"
#include "document/document.h"
#include "nexus/nexus.h"

namespace {

const char* const BLOCK = "QV_BOOTSTRAP";
// How a bootstrap names itself to the progress display.
const char* const STEP = "Bootstrap";

// The resampled matrix holds only active sites: no site may be excluded again.
const char* const NO_EXCLUSIONS = "begin qv_assumptions;exclude no codon1 no codon2 no codon3;exset=none;end;";

// What a replicate document is made of: the same for every thread.
struct tReplicateData {
  std::string taxa_text;         // the TAXA block
  std::string characters_text;   // the CHARACTERS block
  std::string assumptions_text;  // the main document's assumptions
  std::string compressed;        // the replicate's own assumptions, read before each run
  int ntax = 0;
  int length = 0;
  tCharMatrix source;            // the active sites
  std::vector<int> first_columns;
};

template <class F> std::string printed(F print)
{
  tNexusOutput out;
  out.OpenString();
  print(&out);
  return out.GetString();
}

// Feeds NEXUS text to a document, without the length limit of read_string.
void read_text(tDocument& doc, const std::string& text)
{
  tNexusInput in;
  if (in.OpenString(text.c_str()) > 0)
    doc.read_nexus(&in);
}

// The data of a replicate document: the taxa, then, frozen for good, the
// characters with every pending update cleared.
void load_data(tDocument& doc, const tReplicateData& data)
{
  read_text(doc, data.taxa_text);
  doc.freeze_update++;
  read_text(doc, data.characters_text);
  doc.assumptions->update.unpost(tUpdate::ALL);
}

// The first sample, then the main document's assumptions without exclusions.
void load_assumptions(tDocument& doc, const tReplicateData& data)
{
  doc.characters->sample(data.ntax, data.length, data.source, data.first_columns);
  read_text(doc, data.assumptions_text);
  read_text(doc, NO_EXCLUSIONS);
  doc.taxa->set_nchar(data.length);
}

// One run on a prepared document: the splits it finds for the given sample.
std::vector<tSet> replicate(tDocument& doc, const tReplicateData& data, const std::vector<int>& columns)
{
  tSilentProgress silent;
  doc.characters->sample(data.ntax, data.length, data.source, columns);
  // A fresh block, so that a run whose splits could not be computed counts
  // nothing instead of the splits of the run before.
  doc.splits = std::make_unique<tSplitsBlk>();
  read_text(doc, data.compressed);
  doc.update_blocks_bootstrapping();
  std::vector<tSet> found;
  if (doc.splits->valid()) {
    const tSplitsSystem* system = doc.splits->get_splits_system();
    found.resize(static_cast<size_t>(system->get_n()));
    for (int i = 1; i <= system->get_n(); i++)
      found[static_cast<size_t>(i - 1)].copy_N(0, system->get_split(i));
  }
  return found;
}

// A momentary message while the log is switched off.
void log_progress(int run)
{
  if (run % 50 == 0) {
    message("++");
    message("%d", run);
    message("--");
  } else if (run % 10 == 0) {
    message("++");
    message(".");
    message("--");
  }
}

void set_split_labels(tSplitsGraphBlk* sgraph, tSplitsBlk* splits, const char* mode)
{
  const std::string text = std::string("splitlabels=") + mode + ";";
  tNexusInput in;
  in.OpenString(text.c_str());
  sgraph->read_draw(&in, splits);
}

// ---------------------------------------------------------------- worker threads

// Runs are handed out in order; their splits come back keyed by run, and the
// calling thread counts them in run order.
struct tPool {
  std::mutex lock;
  std::condition_variable work_ready;
  std::condition_variable run_done;
  std::deque<std::pair<int, std::vector<int>>> jobs;
  std::map<int, std::vector<tSet>> done;
  bool closing = false;
  bool failed = false;
  std::string fatal;
};

// A fatal error in a worker is shown by the calling thread, which then ends
// the program; the worker waits for that.
[[noreturn]] void worker_fatal(const char* text, void* data)
{
  tPool* pool = static_cast<tPool*>(data);
  {
    std::lock_guard<std::mutex> hold(pool->lock);
    if (!pool->failed) {
      pool->failed = true;
      pool->fatal = text;
    }
  }
  pool->run_done.notify_all();
  for (;;)
    std::this_thread::sleep_for(std::chrono::hours(1));
}

void worker(tPool* pool, const tReplicateData* data)
{
  tQuietThread quiet(worker_fatal, pool);
  // The runs share the threads: each run stays on its own.
  tSingleThreadScope single;
  message("--");
  warning("--");
  tDocument doc;
  load_data(doc, *data);
  load_assumptions(doc, *data);
  for (;;) {
    std::pair<int, std::vector<int>> job;
    {
      std::unique_lock<std::mutex> hold(pool->lock);
      pool->work_ready.wait(hold, [pool] { return pool->closing || !pool->jobs.empty(); });
      if (pool->jobs.empty())
        return;
      job = std::move(pool->jobs.front());
      pool->jobs.pop_front();
    }
    std::vector<tSet> found = replicate(doc, *data, job.second);
    {
      std::lock_guard<std::mutex> hold(pool->lock);
      pool->done.emplace(job.first, std::move(found));
    }
    pool->run_done.notify_all();
  }
}

} // namespace

// ---------------------------------------------------------------- thread setting

void set_bootstrap_threads(int n) { set_thread_count(n); }

int get_bootstrap_threads() { return get_thread_count(); }

int bootstrap_thread_count() { return computation_threads(); }

// ---------------------------------------------------------------- block protocol

tBootstrapBlk::tBootstrapBlk() = default;

tBootstrapBlk::~tBootstrapBlk() = default;

bool tBootstrapBlk::compare_name(const char* name) const { return same_token(name, BLOCK); }

void tBootstrapBlk::clear()
{
  support.clear();
  has_support = false;
  runs = 100;
  length = 0;
  seed = 1;
  ntax = nchar = nsplits = 0;
  _valid = 0;
  sorted_splits.clear();
  labels = show_splits = show_all = 1;
  splits_blk = nullptr;
}

int tBootstrapBlk::get_other_count(const tSet* split) const { return sorted_splits.get_count(1, ntax, split); }

void tBootstrapBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN QV_BOOTSTRAP;\n",
    "    [DIMENSIONS [ntax=number-of-taxa] [nchar=number-of-characters]\n",
    "                [nsplits=number-of-splits];]\n",
    "    [FORMAT [[NO] LABELS] [[NO] SPLITS] [[NO] ALL];]\n",
    "    [RUNS=number-of-runs;]\n",
    "    [LENGTH={sample-length|SAME};]\n",
    "    [SEED=random-number-seed;]\n",
    "    [MATRIX\n",
    "        [1] value_1 [split_1],\n",
    "        [2] value_2 [split_2],\n",
    "        ...\n",
    "        [nsplits] [value_nsplits] [split_nsplits],\n",
    "        [nsplits+1] [value_(nsplits+1)] [split_(nsplits+1)],\n",
    "        ...\n",
    "        [n] [value_n] [split_n],\n",
    "    ;]\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tBootstrapBlk::show_info() const
{
  if (!_valid) {
    message("No valid QV_BOOTSTRAP block\n");
    return;
  }
  message("Valid QV_BOOTSTRAP block: ");
  if (length == 0)
    message("runs=%d seed=%d\n", runs, seed);
  else
    message("runs=%d length=%d seed=%d\n", runs, length, seed);
}

int tBootstrapBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)taxa;
  if (!_valid) {
    message("No valid QV_BOOTSTRAP block\n");
    return 0;
  }
  if (!out)
    return 0;
  out->Print("BEGIN qv_bootstrap;\n");
  out->Print("    DIMENSIONS ntax=%d nchar=%d nsplits=%d;\n", ntax, nchar, nsplits);
  out->Print("    FORMAT %s %s%s;\n", show_splits ? "splits" : "no splits", labels ? "labels" : "no labels",
             show_all ? " all" : "");
  out->Print("    RUNS=%d;\n", runs);
  if (length != 0)
    out->Print("    LENGTH=%d;\n", length);
  out->Print("    SEED=%d;\n", seed);
  if (has_support) {
    const tSplitsSystem* system = splits_blk && splits_blk->valid() ? splits_blk->get_splits_system() : nullptr;
    out->Print("    MATRIX\n");
    for (int i = 1; i <= nsplits; i++) {
      out->Print("\t");
      if (labels)
        out->Print("%3d", i);
      const int value = i < static_cast<int>(support.size()) ? support[static_cast<size_t>(i)] : 0;
      out->Print("  %5g", value * 0.01);
      if (show_splits) {
        out->Print(" ");
        if (system && i <= system->get_n())
          print_set(out, system->get_split(i));
      }
      out->Print(",\n");
    }
    if (show_all && show_splits) {
      out->Print("\t[-----------------------]\n");
      int counter = nsplits;
      tSet set(ntax);
      sorted_splits.print_count(out, labels ? &counter : nullptr, runs, 1, ntax, &set);
    }
    out->Print("    ;\n");
  }
  out->Print("END;\n");
  return 1;
}

// ---------------------------------------------------------------- reading

int tBootstrapBlk::read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                        tSplitsBlk* splits)
{
  if (!taxa->valid())
    return in->Error(BLOCK, "Must be preceeded by valid TAXA-block");
  if (!characters->valid())
    return in->Error(BLOCK, "Must be preceeded by valid CHARACTERS-block");
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "Missing ';'");
  if (!in->NextToken())
    return in->Error(BLOCK, "Unexpected EOF");

  // A block of FORMAT alone restyles the results in place; otherwise the
  // block is new, in the format it starts with.
  int format[3] = {1, 1, 1};
  if (in->CompareCurrentToken("FORMAT")) {
    if (!read_format(in))
      return 0;
    if (!in->NextToken())
      return in->Error(BLOCK, "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      return 1;
    format[0] = labels;
    format[1] = show_splits;
    format[2] = show_all;
  }
  clear();
  labels = format[0];
  show_splits = format[1];
  show_all = format[2];
  ntax = taxa->get_ntax();
  nchar = characters->get_nchar();
  nsplits = splits->valid() ? splits->get_nsplits() : 0;
  splits_blk = splits;

  while (!in->CurrentTokenIsEnd()) {
    int ok;
    if (in->CompareCurrentToken("DIMENSIONS"))
      ok = read_dimensions(in);
    else if (in->CompareCurrentToken("FORMAT"))
      ok = read_format(in);
    else if (in->CompareCurrentToken("RUNS"))
      ok = read_assignment(in, "Usage: RUNS=number;", &runs, 1, false);
    else if (in->CompareCurrentToken("LENGTH"))
      ok = read_assignment(in, "Usage: LENGTH=number;", &length, 0, true);
    else if (in->CompareCurrentToken("SEED"))
      ok = read_assignment(in, "Usage: SEED=number;", &seed, 0, false);
    else if (in->CompareCurrentToken("MATRIX"))
      ok = read_matrix(in, taxa);
    else
      return in->Error(BLOCK, "Unknown command: %s", in->CurrentToken());
    if (!ok)
      return 0;
    if (!in->NextToken())
      return in->Error(BLOCK, "Unexpected EOF");
  }

  if (!has_support)
    assumptions->update.post(512);
  if (ntax < 1)
    return in->Error(BLOCK, "NTAX= %d is illegal", ntax);
  if (nchar < 1)
    return in->Error(BLOCK, "NCHAR= %d is illegal", nchar);
  if (nsplits < 1)
    return in->Error(BLOCK, "NSPLITS= %d is illegal (try again)", nsplits);
  // NSPLITS may have been given after the MATRIX: every split has a value.
  if (has_support)
    support.resize(static_cast<size_t>(nsplits) + 1, 0);
  _valid = 1;
  show_info();
  return 1;
}

int tBootstrapBlk::read_dimensions(tNexusInput* in)
{
  const char* where = "QV_BOOTSTRAP-dimensions";
  for (;;) {
    if (!in->NextToken() || in->CurrentTokenIsEnd())
      return in->Error(where, "Didn't find ';'");
    if (in->CompareCurrentToken(";"))
      return 1;
    int n = 0;
    if (in->CompareCurrentToken("NTAX")) {
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n != ntax)
        return in->Error(where, "Expected NTAX=%d", ntax);
    } else if (in->CompareCurrentToken("NCHAR")) {
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || (nchar != 0 && n != nchar))
        return in->Error(where, "Expected NCHAR=%d", nchar);
      nchar = n;
    } else if (in->CompareCurrentToken("NSPLITS")) {
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || (nsplits != 0 && n != nsplits))
        return in->Error(where, "Expected NSPLITS=%d", nsplits);
      nsplits = n;
    } else {
      return in->Error(where, "Didn't find ';'");
    }
  }
}

int tBootstrapBlk::read_format(tNexusInput* in)
{
  const char* where = "QV_BOOTSTRAP-format";
  for (;;) {
    if (!in->NextToken() || in->CurrentTokenIsEnd())
      return in->Error(where, "Missing ';'");
    if (in->CompareCurrentToken(";"))
      break;
    int on = 1;
    if (in->CompareCurrentToken("NO")) {
      on = 0;
      in->NextToken();
      if (!in->CompareCurrentToken("LABELS") && !in->CompareCurrentToken("SPLITS") &&
          !in->CompareCurrentToken("ALL"))
        return in->Error(where, "Usage: NO {LABELS|SPLITS|ALL}");
    }
    if (in->CompareCurrentToken("LABELS"))
      labels = on;
    else if (in->CompareCurrentToken("SPLITS"))
      show_splits = on;
    else if (in->CompareCurrentToken("ALL"))
      show_all = on;
    else
      return in->Error(where, "Unknown command: %s", in->CurrentToken());
  }
  if (!show_splits)
    show_all = 0;
  return 1;
}

// NAME=n; with n >= min, or with `same` also NAME=SAME; (n = 0 and SAME
// stand for the number of characters).
int tBootstrapBlk::read_assignment(tNexusInput* in, const char* usage, int* value, int min, bool same)
{
  int n = 0;
  if (!in->CompareNextToken("="))
    return in->Error(BLOCK, "%s", usage);
  in->NextToken();
  if (same && in->CompareCurrentToken("SAME"))
    n = 0;
  else if (!in->ReadCurrentTokenInt(&n) || n < min)
    return in->Error(BLOCK, "%s", usage);
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "%s", usage);
  *value = same && n == 0 ? nchar : n;
  return 1;
}

int tBootstrapBlk::read_matrix(tNexusInput* in, const tTaxaBlk* taxa)
{
  (void)taxa;
  const char* where = "QV_BOOTSTRAP-matrix";
  if (!in->Fits(nsplits))
    return in->Error(where, "nsplits=%d values are more than %s", nsplits, in->RoomText().c_str());
  support.assign(static_cast<size_t>(nsplits < 0 ? 0 : nsplits) + 1, 0);
  has_support = true;
  for (int i = 1; i <= nsplits; i++) {
    if (labels) {
      int label = 0;
      if (!in->ReadNextTokenInt(&label) || label != i)
        return in->Error(where, "Expected: label %d", i);
    }
    double v = 0.0;
    if (!in->ReadNextTokenDouble(&v) || !std::isfinite(v) || std::fabs(100.0 * v) > INT_MAX)
      return in->Error(where, "Can't read %d-th value", i);
    // Rounded, not cut: a value printed as 0.57 must come back as 57.
    support[static_cast<size_t>(i)] = static_cast<int>(std::lround(100.0 * v));
    if (show_splits) {
      // The split itself is not checked: the QV_SPLITS block holds it.
      while (in->NextToken() && !in->CompareCurrentToken(",") && !in->CompareCurrentToken(";") &&
             !in->CurrentTokenIsEnd()) {
      }
      if (!in->CompareCurrentToken(","))
        return in->Error(where, "Expected: ','");
    } else if (!in->CompareNextToken(",")) {
      return in->Error(where, "Expected: ','");
    }
  }
  if (show_all && show_splits)
    return read_matrix_all(in);
  if (!in->CompareNextToken(";"))
    return in->Error(where, "Expected: ';'");
  return 1;
}

// The splits found outside the split system: "value split," up to ";".
int tBootstrapBlk::read_matrix_all(tNexusInput* in)
{
  const char* where = "QV_BOOTSTRAP-matrix_all";
  sorted_splits.clear();
  tSet split(ntax);
  for (;;) {
    if (!in->NextToken() || in->CurrentTokenIsEnd())
      return in->Error("QV_BOOTSTRAP-matrix", "Expected: ';'");
    if (in->CompareCurrentToken(";"))
      return 1;
    double v = 0.0;
    if (!in->ReadCurrentTokenDouble(&v) || !(v >= 0.0) || runs * v * 0.01 + 0.5 >= INT_MAX)
      return in->Error(where, "Non-negative number expected");
    in->NextToken();
    if (!read_set(in, &split, ntax, ",") || !in->CompareCurrentToken(","))
      return in->Error(where, "Split-part expected");
    sorted_splits.set_count(static_cast<int>(runs * v * 0.01 + 0.5), 1, ntax, &split);
  }
}

// ---------------------------------------------------------------- computing

void tBootstrapBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                            tSplitsBlk* splits, tSplitsGraphBlk* sgraph)
{
  tUpdate& update = assumptions->update;
  if (!update.check(512))
    return;
  update.unpost(512);
  if (!_valid)
    return;
  // Support belongs to the splits it was computed for; new splits end it.
  if (has_support) {
    clear();
    if (sgraph->valid() && same_token(sgraph->get_splitlabels(), "BOOTSTRAPS"))
      set_split_labels(sgraph, splits, "NONE");
    return;
  }
  if (runs == 0)
    return;
  if (!taxa->valid() || !assumptions->valid() || !characters->valid() || !splits->valid() || !sgraph->valid()) {
    message("Given data doesn't allow bootstrapping");
    return;
  }

  tReplicateData data;
  data.taxa_text = printed([&](tNexusOutput* out) { taxa->print(out); });
  data.characters_text = printed([&](tNexusOutput* out) { characters->print(1, out, taxa); });
  // A copy: the event pump may let a command change the split system meanwhile.
  const tSplitsSystem* system = splits->get_splits_system();
  const int n = system->get_n();
  std::vector<tSet> current(static_cast<size_t>(n) + 1);
  for (int i = 1; i <= n; i++)
    current[static_cast<size_t>(i)].copy_N(0, system->get_split(i));

  tDocument replica;

  message("--");
  update.post(2);
  characters->compute(taxa, assumptions);
  update.unpost(tUpdate::ALL);
  message("++");

  int ntax_mat = 0;
  int nchar_mat = 0;
  characters->make_source_matrix(ntax_mat, nchar_mat, data.source);
  const int use_length = length >= 1 ? length : nchar_mat;
  if (use_length < ntax_mat) {
    warning("Can't bootstrap: sequences too short (length=%d)", use_length);
    return;
  }
  data.ntax = ntax_mat;
  data.length = use_length;

  sorted_splits.clear();
  ref_srand(static_cast<unsigned int>(seed));

  message("--");
  load_data(replica, data);
  message("++");
  data.first_columns = tCharactersBlk::draw_sample_columns(nchar_mat, use_length);
  data.assumptions_text = printed([&](tNexusOutput* out) { assumptions->print(out, taxa, 0); });
  load_assumptions(replica, data);
  data.compressed =
    printed([&](tNexusOutput* out) { replica.assumptions->print(out, replica.taxa.get(), 0); });
  message("Compressed bootstrapping assumptions:\n%s\n", data.compressed.c_str());

  message("Bootstrapping: ");
  message("--");
  warning("--");
  auto count = [&](const std::vector<tSet>& found) {
    for (const tSet& split : found)
      sorted_splits.add_count(1, ntax_mat, &split);
  };
  // Each counted run is a place where the user may stop the bootstrap.
  int counted = 0;
  bool go_on = progress(STEP, 0, runs);
  auto counted_run = [&]() {
    log_progress(++counted);
    go_on = progress(STEP, counted, runs);
  };
  const int threads = std::min(bootstrap_thread_count(), runs);
  if (threads <= 1) {
    for (int run = 1; run <= runs && go_on; run++) {
      count(replicate(replica, data, run == 1 ? data.first_columns
                                              : tCharactersBlk::draw_sample_columns(nchar_mat, use_length)));
      counted_run();
    }
  } else {
    // threads - 1 helpers, and this thread works on its own replica too.
    tSingleThreadScope single;
    tPool pool;
    std::vector<std::thread> helpers;
    for (int k = 1; k < threads; k++)
      helpers.emplace_back(worker, &pool, &data);
    // Samples are drawn here, in run order, a few runs ahead of the counting.
    const int window = 4 * threads;
    int next_draw = 1;
    for (int next_count = 1; next_count <= runs && go_on;) {
      while (next_draw <= runs && next_draw - next_count < window) {
        std::vector<int> columns = next_draw == 1 ? data.first_columns
                                                  : tCharactersBlk::draw_sample_columns(nchar_mat, use_length);
        {
          std::lock_guard<std::mutex> hold(pool.lock);
          pool.jobs.emplace_back(next_draw, std::move(columns));
        }
        pool.work_ready.notify_one();
        next_draw++;
      }
      std::vector<std::vector<tSet>> ready;
      std::pair<int, std::vector<int>> job(0, std::vector<int>());
      {
        std::unique_lock<std::mutex> hold(pool.lock);
        if (pool.failed) {
          const std::string text = pool.fatal;
          hold.unlock();
          error("%s", text.c_str());
        }
        for (auto it = pool.done.find(next_count);
             it != pool.done.end() && it->first == next_count + static_cast<int>(ready.size());
             it = pool.done.erase(it))
          ready.push_back(std::move(it->second));
        if (ready.empty() && !pool.jobs.empty()) {
          job = std::move(pool.jobs.front());
          pool.jobs.pop_front();
        } else if (ready.empty()) {
          pool.run_done.wait_for(hold, std::chrono::milliseconds(10));
        }
      }
      if (job.first > 0) {
        std::vector<tSet> found = replicate(replica, data, job.second);
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.done.emplace(job.first, std::move(found));
      }
      for (const std::vector<tSet>& found : ready) {
        if (!go_on)
          break;
        count(found);
        next_count++;
        counted_run();
      }
      // The helpers never touch the front end; this thread keeps it alive.
      tcltk_update();
    }
    {
      std::lock_guard<std::mutex> hold(pool.lock);
      pool.closing = true;
      pool.jobs.clear(); // runs not started when the user stopped
    }
    pool.work_ready.notify_all();
    for (std::thread& t : helpers)
      t.join();
  }
  message("++");
  warning("++");
  if (!go_on) {
    // Nothing of the stopped bootstrap is kept.
    message(" stopped after %d of %d runs\n", counted, runs);
    clear();
    return;
  }
  message(" done\n");
  support.assign(static_cast<size_t>(n) + 1, 0);
  has_support = true;

  for (int i = 1; i <= n; i++) {
    const tSet* split = &current[static_cast<size_t>(i)];
    const long long found = sorted_splits.get_count(1, ntax_mat, split);
    support[static_cast<size_t>(i)] = static_cast<int>(found * 10000 / runs);
    sorted_splits.del_count(1, ntax_mat, split);
  }
  // The rows now stand for these splits.
  ntax = ntax_mat;
  nchar = characters->get_nchar();
  nsplits = n;
  splits_blk = splits;
  if (sgraph->valid())
    set_split_labels(sgraph, splits, "BOOTSTRAPS");
  update.post(2048);
}
