// QV_BOOTSTRAP block: the settings of a bootstrap of the characters and its
// results, the support of every split of the current split system.
//
//   command                                          field(s)
//   DIMENSIONS [NTAX=n] [NCHAR=n] [NSPLITS=n];       (NTAX checked), nchar, nsplits
//   FORMAT [[NO] LABELS] [[NO] SPLITS] [[NO] ALL];   labels, show_splits, show_all
//   RUNS=n;                                          runs (n >= 1)
//   LENGTH={n|SAME};                                 length (0 and SAME: nchar)
//   SEED=n;                                          seed
//   MATRIX [i] value [split], ... [value split, ...] ;
//                                                    support, then the count tree
//
// A block that holds only FORMAT changes the format of the block in place.
// Any other block starts from the defaults. Without a MATRIX the block asks
// for a computation: it posts update bit 512, which compute() consumes. A
// computation resamples the active sites `runs` times and counts the splits
// that a private document finds for each sample; the next new split system
// (bit 512 again) clears the results.
//
// The runs are spread over worker threads, each with a document of its own;
// the samples are drawn beforehand, in run order, by the reference
// generator, so that the results do not depend on the number of threads.
#pragma once

#include <vector>

#include "splits/splits_sort.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tSplitsBlk;
class tSplitsGraphBlk;

class tBootstrapBlk {
public:
  tBootstrapBlk();
  ~tBootstrapBlk();
  tBootstrapBlk(const tBootstrapBlk&) = delete;
  tBootstrapBlk& operator=(const tBootstrapBlk&) = delete;

  // ---- block protocol
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  // Rows name the splits of the QV_SPLITS block given to the last read or
  // computation.
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
           tSplitsBlk* splits);
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tSplitsBlk* splits,
               tSplitsGraphBlk* sgraph);
  // Back to the defaults: no results, not valid.
  void clear();
  int read_format(tNexusInput* in);

  // ---- settings and results
  int get_runs() const { return runs; }
  int get_length() const { return length; }
  int get_seed() const { return seed; }
  int get_nsplits() const { return nsplits; }
  // Support of split i in hundredths of a percent (10000 = 100 %), entries
  // 1..nsplits (entry 0 unused); null while there are no results. Readers
  // check the size: the split system may have changed since.
  const std::vector<int>* get_support() const { return has_support ? &support : nullptr; }
  // How often a split outside the split system was found (0 when never).
  int get_other_count(const tSet* split) const;

private:
  std::vector<int> support;  // valid while has_support
  bool has_support = false;
  int runs = 100;
  int length = 0;
  int seed = 1;
  int ntax = 0;
  int nchar = 0;
  int nsplits = 0;
  int _valid = 0;
  tSplitsSort sorted_splits;
  int labels = 1;
  int show_splits = 1;
  int show_all = 1;
  // The QV_SPLITS block whose splits the rows stand for (owned by the same
  // document, which destroys both together).
  const tSplitsBlk* splits_blk = nullptr;

  int read_dimensions(tNexusInput* in);
  int read_assignment(tNexusInput* in, const char* usage, int* value, int min, bool same);
  int read_matrix(tNexusInput* in, const tTaxaBlk* taxa);
  int read_matrix_all(tNexusInput* in);
  void forget_results(tSplitsGraphBlk* sgraph);
};

// Worker threads of a bootstrap started from the calling thread: 0 (the
// default) means one per hardware thread; 1 runs every replicate on the
// calling thread. The setting belongs to the thread that runs the document.
void set_bootstrap_threads(int n);
int get_bootstrap_threads();
// The number actually used: the setting, or the hardware's when it is 0.
int bootstrap_thread_count();
