// A weighted system of splits of the taxa 1..ntax, with an optional circular
// ordering of the taxa (the cycle).
//
// Each split is stored as the side that holds taxon 1 (normal form); side 0
// of split i is that stored set, side 1 its complement within 1..ntax.
// Splits are numbered 1..nsplits in the order they were appended and are
// removed only from the end. Weights are plain doubles; the compatibility
// tests ignore every split whose weight is not above 0.0.
//
// The split methods are members as well; each lives in its own source file:
//   splits_sys.cpp      storage, compatibility, fit, restriction
//   compute_cycle.cpp   circular ordering
//   splits_greedy.cpp   greedy compatible / weakly compatible selections,
//                       also straight from the spectra
//   compute_wc.cpp      weak clusters
//   splits_decomp.cpp, buneman_tree.cpp, compute_splits.cpp   distance methods
#pragma once

#include <memory>
#include <vector>

#include "core/sets.h"

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;
class tSpectraBlk;

class tSplitsSystem {
public:
  // Fields, 1-based throughout.

  // Circular ordering: cycle[i] is the taxon at position i (1..ntax).
  // Empty when there is no cycle; otherwise ntax+1 entries, entry 0 unused.
  std::vector<int> cycle;
  // 1 when the last cycle computation found the splits circular.
  int is_cyclic = 0;
  // splits[i] is split i (1..nsplits); entry 0 is always null.
  std::vector<std::unique_ptr<tSet>> splits;
  // weights[i] is the weight of split i; entry 0 unused.
  std::vector<double> weights;
  int nsplits = 0;
  int ntax = 0;
  // Kept for the owner; the system itself never reads it.
  int compatibility = 0;
  // Pruning parameter of the cycle computation: 0, 1 or 2.
  int minimal_rest = 2;

  tSplitsSystem();
  ~tSplitsSystem();
  tSplitsSystem(const tSplitsSystem&) = delete;
  tSplitsSystem& operator=(const tSplitsSystem&) = delete;

  // Removes all splits and the cycle; keeps compatibility and minimal_rest.
  void clear();
  // clear(), then n empty splits of weight 0; ntax stays 0.
  void set_n(int n);
  void set_ntax(int n) { ntax = n; }
  int get_ntax() const { return ntax; }
  int get_n() const { return nsplits; }
  // True when a cycle is stored.
  bool has_cycle() const { return !cycle.empty(); }

  // Range-checked access to split n / weight n (fatal outside 1..nsplits).
  tSet* get_split(int n);
  const tSet* get_split(int n) const;
  double get_weight(int n) const;
  void set_weight(int n, double w);

  // Appends A (a set over 1..ntax) in normal form; returns the new nsplits.
  int append_split(const tSet* A, double w);
  // Removes the last split, if any; returns the new nsplits.
  int pop_split();
  // Takes over the splits and weights of src (same ntax), leaving src empty;
  // cycle, is_cyclic, ntax and minimal_rest of both are untouched.
  int move_splits(tSplitsSystem* src);

  // Smallest taxon on side c1 of split s1 and side c2 of split s2 (and side
  // c3 of split s3); 0 if there is none.
  int intersect2(int c1, int s1, int c2, int s2) const;
  int intersect3(int c1, int s1, int c2, int s2, int c3, int s3) const;

  // 1 when splits i and j are compatible.
  int compatible_splits(int i, int j) const;
  // 1 when splits i, j and k are weakly compatible.
  int weakly_compatible_splits(int i, int j, int k) const;
  // 1 when all positive-weight splits are pairwise compatible.
  int strongly_compatible() const;
  // 1 when all positive-weight splits are weakly compatible by triples; logs
  // the first failing triple.
  int weakly_compatible() const;

  // Share of the total distance that the splits account for, in percent.
  double compute_fit(const tDistancesBlk* distances) const;

  // Appends the restriction of orig to the taxa in support (renumbered
  // 1..|support| in increasing order); returns nsplits.
  int induce(const tSplitsSystem* orig_splits, const tSet* support);
  // Helper of induce: map_back[k] is the original number of new taxon k.
  void append_induced_split(const tSet* support, const std::vector<int>& map_back, const tSet* S, double w);

  // Circular ordering (compute_cycle.cpp).

  // Computes cycle (canonical rotation) and is_cyclic; returns is_cyclic.
  int compute_cyclic_configuration();
  // True when split s is an arc of the stored cycle (one side is a run of
  // consecutive positions).
  bool is_arc(int s) const;
  // Groups the splits into connected components of the incompatibility
  // relation among positive-weight splits. comps must be empty; each
  // component is a list whose entry 0 is its length and entries 1.. its
  // split numbers in increasing order. Returns the number of components.
  int incompatibility_components(std::vector<std::vector<int>>& comps) const;
  // Cycle of one component expanded to all taxa (theCycle[1..ntax]) with the
  // class of each position (taxa2class[1..ntax]); returns its circularity.
  int do_compute_cycle(const std::vector<int>& comp, std::vector<int>& theCycle, std::vector<int>& taxa2class) const;
  // Fills this fresh system with comp's splits expressed in classes of taxa;
  // returns the number of splits.
  int induce_comp(const tSplitsSystem* orig_splits, const std::vector<int>& comp, const std::vector<int>& tax2class);
  // tax2class[t] = class of taxon t (taxa no split of comp separates share a
  // class; classes numbered by smallest taxon); support gets the smallest
  // taxon of each class. Returns 1.
  int determine_split_equiv_taxa(const std::vector<int>& comp, std::vector<int>& tax2class, tSet* support) const;
  // Cycle of this system over its own taxa; 1 when every taxon found exactly
  // two neighbours.
  int compute_cycle(std::vector<int>& theCycle) const;
  // adjacent is an (ntax+1) x (ntax+1) table: [a][b] counts the pair {a,b},
  // [a][0] is the number of distinct neighbours of a.
  void compute_adjacent_pairs(tSet* used_splits, tSet* used_taxa, const tSet* A, std::vector<std::vector<int>>& adjacent) const;
  int extract_cycle(std::vector<int>& theCycle, int n, const std::vector<std::vector<int>>& adjacent) const;
  void merge_cycles(const std::vector<int>& z1, const std::vector<int>& z1_classes, const std::vector<int>& z2, std::vector<int>& theCycle) const;

  // Greedy selections (splits_greedy.cpp): this system becomes the selection
  // from src in order of decreasing weight (ties by split number); return
  // the number of splits kept.
  int greedy_compatible_splits(const tSplitsSystem* src);
  int greedy_weakly_compatible_splits(const tSplitsSystem* src);
  int greedy_compatible_splits_spectra(tSpectraBlk* spectra);
  int greedy_weakly_compatible_splits_spectra(tSpectraBlk* spectra);
  // Weak clusters with their indices; 0 on failure.
  int compute_wc(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances);

  // Distance methods (splits_decomp.cpp, buneman_tree.cpp, compute_splits.cpp).
  int split_decomposition(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances);
  int buneman_tree(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances);
  int compute_splits(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tDistancesBlk* distances);
  // Neighbor-net (neighbor_net.cpp): the circular splits above the weight
  // bound, with the ordering found as the cycle; 0 on failure.
  int neighbor_net(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances);

  // Character methods.
  int parsimony_splits(tAssumptionsBlk* assumptions, tCharactersBlk* characters);
  int parsimony_splits_tree(tAssumptionsBlk* assumptions, tCharactersBlk* characters);

  // Edge-weight transforms (least_squares.cpp, iso_max_width.cpp,
  // splits_adjust.cpp): new weights for the same splits. 0 when the weights
  // could not be determined (reported); the old weights then stay.
  int OLS_isolation_indices(tDistancesBlk* distances);
  int WLS_isolation_indices(tDistancesBlk* distances, int fm_power);
  int iso_max_width(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances);
  int adjust_isolation_indices(tAssumptionsBlk* assumptions, tCharactersBlk* characters, tDistancesBlk* distances);
};
