// QV_SPLITS block: the document's split system with its properties, read
// from and written as NEXUS, restricted to the active taxa, and recomputed
// by the method the assumptions name.
//
//   command                                        field(s)
//   DIMENSIONS [NTAX=n] [NSPLITS=n];               (NTAX checked), nsplits
//   FORMAT [[NO] LABELS] [[NO] WEIGHTS]            labels, weights,
//          [[NO] SPECTRUM];                        spectrum (ntax <= 15)
//   MINIMAL_REST={0|1|2};                          splits_system.minimal_rest
//   THRESHOLD=x;                                   threshold (rows <= x are dropped)
//   PROPERTIES [FIT=x] [[NON|WEAKLY] COMPATIBLE]   fit, compatibility,
//              [[NON] CYCLIC];                     cyclicity
//   CYCLE [t_1 ... t_ntax];                        splits_system.cycle (empty: none)
//   SPLITSLABELS l_1 ... l_n;                      splitslabels (n = NSPLITS before MATRIX)
//   MATRIX rows;                                   splits_system, _valid
//
// Rows in split format: [label] [weight] taxa-of-one-side ","; in spectrum
// format: [code] [weight], the code's bit i-1 standing for taxon i.
// Every block describes itself: a read starts from the default format, no
// threshold, no properties and no split labels.
//
// Update bits: after a read the interpreter clears 8 and posts 16. compute()
// restricts on 1, recomputes on 8, post-processes on 8 or 128; it clears 8
// and 128, posts 16, and 512 when it succeeded.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/labels.h"
#include "splits/splits_sys.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;
class tSpectraBlk;
class tTreesBlk;

class tSplitsBlk {
public:
  tSplitsBlk();
  ~tSplitsBlk();
  tSplitsBlk(const tSplitsBlk&) = delete;
  tSplitsBlk& operator=(const tSplitsBlk&) = delete;

  // ---- block protocol
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);
  // False when the method or a post-processing step ran and failed; an
  // input that is not there (or method NONE) keeps the splits and is no failure.
  bool compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances, tSpectraBlk* spectra,
               tCharactersBlk* characters, int compute_cycle_fit_compat, const tTreesBlk* trees = nullptr);
  // Drops the splits of a computation that failed upstream.
  void discard();
  // Restricts the splits to the TAXA block's active taxa; the full system is
  // kept the first time, and every later restriction starts from it.
  void set_active_taxa(tTaxaBlk* taxa, tAssumptionsBlk* assumptions);

  // ---- data
  tSplitsSystem* get_splits_system() { return splits_system.get(); }
  const tSplitsSystem* get_splits_system() const { return splits_system.get(); }
  int get_nsplits() const { return nsplits; }
  int get_ntax() const { return ntax; }
  // The fit in percent; 0 when not computed.
  double get_fit() const { return fit; }
  // Null when not known.
  const char* get_compatibility() const { return compatibility ? compatibility->c_str() : nullptr; }
  const char* get_cyclicity() const { return cyclicity ? cyclicity->c_str() : nullptr; }
  double get_threshold() const { return threshold; }
  // Label of split n, or its number when it has none (per-thread scratch).
  const char* get_label(int n) const { return splitslabels.get(n); }
  void set_label(int n, const char* text);
  bool has_labels() const { return splitslabels.get_n() > 0; }

  // ---- derived properties
  void compute_compatibility();
  void compute_cyclicity();
  // Replace the system by its greedy weakly compatible / compatible selection.
  void compute_greedy_weak_splits();
  void compute_greedy_strong_splits();

  // Largest number of taxa of FORMAT SPECTRUM (a split's code is an int).
  static constexpr int MAX_NTAX_SPECTRUM = 15;

private:
  struct tSources;
  struct tMethod;

  std::unique_ptr<tSplitsSystem> splits_system;
  int labels = 1;
  int weights = 1;
  int spectrum = 0;
  std::optional<std::string> compatibility;
  int ntax = 0;
  int nsplits = 0;
  double threshold = 0.0;
  double fit = 0.0;
  std::optional<std::string> cyclicity;
  tLabels splitslabels;
  int _valid = 0;

  // The full data, kept by the first restriction to active taxa.
  std::unique_ptr<tSplitsSystem> splits_system_orig;
  int ntax_orig = 0;
  int nsplits_orig = 0;
  double fit_orig = 0.0;
  std::optional<std::string> cyclicity_orig;
  std::optional<std::string> compatibility_orig;
  tLabels splitslabels_orig;
  // A restriction left the inducing to a recomputation that has not run yet.
  bool induce_pending = false;

  void reset_format();
  void forget_orig();
  int read_dimensions(tNexusInput* in, bool* nsplits_given);
  int read_format(tNexusInput* in);
  int read_minimal_rest(tNexusInput* in);
  int read_threshold(tNexusInput* in);
  int read_properties(tNexusInput* in, bool* compatibility_given);
  int read_cycle(tNexusInput* in, const tTaxaBlk* taxa, bool* cycle_read);
  int read_splitslabels(tNexusInput* in, int n);
  int read_matrix(tNexusInput* in, tTaxaBlk* taxa, bool nsplits_given, bool compatibility_given, bool cycle_read);
  int read_splits(tNexusInput* in, tTaxaBlk* taxa, bool nsplits_given, std::vector<int>* kept_rows);
  int read_spectrum(tNexusInput* in, bool nsplits_given, std::vector<int>* kept_rows);
  void report_rows(bool nsplits_given, int discarded);

  void print_splits(tNexusOutput* out) const;
  void print_spectrum(tNexusOutput* out) const;

  void induce_active(tTaxaBlk* taxa);
  void relabel(const std::vector<int>& source_of, tLabels from);
  void replace_by(tSplitsSystem* chosen);

  static const tMethod* find_method(const char* name);
  int run_method(const tMethod* method, const tSources& src);
  int post_process(const tSources& src, bool* post_8);
  int run_split_decomposition(const tSources& src);
  int run_buneman_tree(const tSources& src);
  int run_neighbor_net(const tSources& src);
  void keep_cycle();
  int run_parsimony_splits(const tSources& src);
  int run_parsimony_tree(const tSources& src);
  int run_refined(const tSources& src);
  int run_refined_weak(const tSources& src);
  int run_weak_clusters(const tSources& src);
  int run_weak_clusters_tree(const tSources& src);
  bool spectra_usable(const tSources& src) const;
  int run_spectral(const tSources& src);
  int run_spectral_tree(const tSources& src);
  int run_likelihood(const tSources& src);
  int run_consensus(const tSources& src);
  int run_single_tree(const tSources& src);
};

// Reads one split from the current token on: "NONE ;", or taxa given by
// number or label and ranges "a - b" ("." standing for ntax). The list ends at
// the first token that is no taxon, which stays current; true when that token
// holds one of the terminators.
bool read_split(tNexusInput* in, const tTaxaBlk* taxa, tSet* split, int ntax, const char* terminators);
