// TAXA block: the taxa of the document, numbered 1..ntax, and the map that
// lets the document work on an active subset while keeping the full list.
//
//   BEGIN TAXA;
//     DIMENSIONS NTAX=n;                 -> ntax
//     TAXLABELS label_1 ... label_n;     -> taxlabels (_AUTO_: s1..sn; _DETECT_: from a matrix)
//   END;
// TITLE, LINK and the like are passed over with a warning.
//
// Labels are read under the label punctuation, so that brackets, signs and
// slashes belong to them; they are written back quoted where needed.
#pragma once

#include <memory>
#include <vector>

#include "core/labels.h"

class tNexusInput;
class tNexusOutput;

class tTaxaBlk {
public:
  tTaxaBlk();
  ~tTaxaBlk();

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  // Returns ntax, or 0 when there is nothing to print.
  int print(tNexusOutput* out) const;
  int read(tNexusInput* in);

  void set_ntax(int n);
  // A matrix block that brings its own taxa (a DATA block, or CHARACTERS
  // with NTAX and no TAXA block before it): n taxa whose labels the matrix
  // rows supply; the block is valid from here on.
  void define_from_matrix(int n);
  // Labels no matrix row supplied become s1, s2, ... (as _AUTO_ would make them).
  void label_undetected();
  // Back to no taxa, after the matrix block that defined them failed.
  void discard();
  void setlabel(int t, const char* label);
  int get_ntax() const { return ntax; }
  const char* getlabel(int t) const;
  int label2n(const char* label) const;
  int max_label_length() const { return taxlabels.max_label_length(); }
  void set_nchar(int n) { nchar = n < 1 ? 0 : n; }
  int get_nchar() const { return nchar; }
  void set_active_nchar(int n) { active_nchar = n < 1 ? 0 : n; }
  int get_active_nchar() const { return active_nchar; }
  int get_ntax_orig() const;
  const char* getlabel_orig(int t) const;
  int label2n_orig(const char* label) const;
  int get_tax2orig(int t) const;
  // extaxa[t] (t = 1..get_ntax_orig()) non-zero excludes full-list taxon t;
  // null excludes none.
  void set_active_taxa(const char* extaxa);
  // 1 when the active labels were cut to len characters; 0 (labels unchanged)
  // when len leaves no room for the index suffix.
  int truncate_labels(int len);

private:
  int ntax = 0;
  int nchar = 0;
  int active_nchar = 0;
  int _valid = 0;
  tLabels taxlabels;
  int ntax_orig = 0;
  std::unique_ptr<tLabels> taxlabels_orig;
  std::vector<int> tax2orig; // 1..ntax (active), slot 0 unused; empty while no subset was made

  int read_body(tNexusInput* in);
  int read_labels(tNexusInput* in, int n);
};
