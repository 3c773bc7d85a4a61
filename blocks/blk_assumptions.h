// QV_ASSUMPTIONS block: every choice that steers the computation, and the
// document's pending-update word. Valid from construction on. The ASSUME
// command feeds its statements to the same reader.
//
//   statement                                  field(s)                         bits
//   DIMENSIONS [NTAX=n] [NCHAR=m];             (checked only)                   -
//   CONSISTENT;                                clears all at END, posts        2048
//   OPTIONS GAPMODE={MISSING|NEWSTATE};        gapmode                           68
//   [NO] GREEDY_TREE;                          greedy_tree                    128/8
//   [NO] REDUCE_GRAPH;                         reduce_graph                      16
//   PARAMETER=n;                               parameter                          4
//   [NO] X|Y|Z;                                x, y, z                            -
//   [NO] REFINE [N=n] [CUT=x];                 refine, refine_count, refine_cut   8
//   [NO] MAX_WIDTH [=x];                       max_width                   8/128 (AVERAGE)
//   [NO] ADJUST;                               adjust                             8
//   EXSET|EXCHAR [name] = {chars|NONE};        exset, exset_name                  2
//   EXTAXA [name] = {taxa|NONE};               extaxa, extaxa_name                1
//   TAXA_PARTITION [name] = {groups|NONE};     taxa_partition(_orig), _name       4 (+68 refused)
//   METHOD=name [N=n];                         method, tree_number (TREE)  72 (not NONE)
//   CONSENSUS_THRESHOLD=x;                     consensus_threshold                8
//   CONSENSUS_WEIGHT={FREQUENCY|MEAN|MEDIAN};  consensus_weight                   8
//   EDGE_TRANSFORM=name;                       edge_transform                     8
//   TRANSFORM=name [x];                        transform, cconst_x               68
//   EXCLUDE items;                             exclude_*, codon_offset            2
//   THRESHOLD=x;                               threshold                         72
//   USERMATRIX n entries;                      usermatrix, n_colors   68 (TRANSFORM=USERMATRIX)
//
// Real numbers (and N, PARAMETER) are read with signs and exponents kept in
// the token, so THRESHOLD=1E-05 and CUT=-0.5 are single values.
#pragma once

#include <string>
#include <vector>

#include "core/update.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;

class tAssumptionsBlk {
public:
  tAssumptionsBlk();
  ~tAssumptionsBlk();

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int read(tNexusInput* in, tTaxaBlk* taxa);
  int print(tNexusOutput* out, const tTaxaBlk* taxa, int consistent) const;
  void update_taxa(tTaxaBlk* taxa);

  std::string gapmode = "MISSING";
  int greedy_tree = 0;
  int reduce_graph = 1;
  std::vector<char> exset;          // 0..nchar, non-zero = excluded; empty = none
  std::vector<char> extaxa;         // 0..ntax_orig, pending; empty = none
  std::vector<int> taxa_partition;  // group of each active taxon, [0] = groups; empty = none
  std::string method = "DSPLITS";
  // METHOD=CONSENSUS keeps the splits of more than this fraction of the trees,
  // weighted by their frequency or their mean or median length.
  double consensus_threshold = CONSENSUS_THRESHOLD_DEFAULT;
  std::string consensus_weight = "FREQUENCY";
  // METHOD=TREE shows this tree of the TREES block (1..number of trees).
  int tree_number = 1;
  std::string transform = "NONE";
  double threshold = 0.0;
  int exclude_nonparsimony = 0;
  int exclude_constant = 0;
  int exclude_gaps = 0;
  int exclude_missing = 0;
  int exclude_codon1 = 0;
  int exclude_codon2 = 0;
  int exclude_codon3 = 0;
  int codon_offset = 0;
  tUpdate update;
  int refine = 0;
  int refine_count = 1;
  double refine_cut = REFINE_CUT_UNSET;
  int adjust = 0;
  std::string edge_transform = "NONE";
  double max_width = 0.0;
  double cconst_x = 2.0;
  int parameter = 0;
  std::vector<std::vector<double>> usermatrix; // 1..n_colors squared; empty = none
  int n_colors = 0;
  char colors2symbols[256] = {};
  int x = 0, y = 0, z = 0;
  std::string exset_name, extaxa_name, taxa_partition_name; // empty = none
  std::vector<int> taxa_partition_orig; // over the original taxa; empty = none

  static constexpr double REFINE_CUT_UNSET = -1000000.0;
  static constexpr double CONSENSUS_THRESHOLD_DEFAULT = 0.33;

private:
  int _valid = 1;

  int read_statement(tNexusInput* in, tTaxaBlk* taxa);
  int read_dimensions(tNexusInput* in, const tTaxaBlk* taxa);
  int read_options(tNexusInput* in);
  int read_switch(tNexusInput* in, bool on);
  int read_no(tNexusInput* in);
  int read_parameter(tNexusInput* in);
  int read_refine(tNexusInput* in);
  int read_max_width(tNexusInput* in);
  int read_method(tNexusInput* in);
  int read_consensus(tNexusInput* in);
  int read_edge_transform(tNexusInput* in);
  int read_transform(tNexusInput* in);
  int read_threshold(tNexusInput* in);
  int read_exclude(tNexusInput* in);
  int read_exset(tNexusInput* in, const tTaxaBlk* taxa);
  int read_extaxa(tNexusInput* in, const tTaxaBlk* taxa);
  int read_taxa_partition(tNexusInput* in, const tTaxaBlk* taxa);
  int read_usermatrix(tNexusInput* in);
  int check_transform(tNexusInput* in);
  void fall_back_to_hamming();
  bool exclusion_in_force() const;
  void print_usermatrix(tNexusOutput* out) const;
  void set_taxa_partition_orig(const tTaxaBlk* taxa);
  void set_active_taxa(const tTaxaBlk* taxa);
};
