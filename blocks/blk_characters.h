// CHARACTERS block: the aligned character matrix (one row of one-byte states
// per taxon, one column per site), the coding of state symbols as colors
// 1..ncolors, and the active sites that the exclusion assumptions leave.
//
//   command                                     field(s)
//   DIMENSIONS [NTAX=n] NCHAR=m;                ntax, nchar (the matrix is sized here)
//   FORMAT [DATATYPE=STANDARD|DNA|RNA|PROTEIN]  datatype, symbols, colors (items in any order)
//          [RESPECTCASE]                        respectcase
//          [MISSING=c] [GAP=c] [MATCHCHAR=c]    missing, gap, matchchar
//          [SYMBOLS="s s ..."|"ss.."|ss..]      symbols, colors
//          [EQUATE="s=x s=(xy) ..."]            symbols standing for a state or a set
//          [[NO] LABELS|TRANSPOSE|INTERLEAVE|TOKENS], also as FLAG=YES|NO
//          [ITEMS=w] [DATAPOINT=STANDARD];      items, datapoint
//   CHARWEIGHTS w_1 ... w_m;                    charweights
//   MATRIX rows ;                               matrix, then the site statistics
//   TITLE, LINK, ELIMINATE, TAXLABELS, CHARSTATELABELS, CHARLABELS, STATELABELS,
//   OPTIONS, CHARSET: skipped with a warning
//
// Without a valid TAXA block (a DATA block, as most programs write it) NTAX
// and the row labels define the taxa. Polymorphic "(01)" and uncertain
// "{01}" cells, set equates and ambiguity codes read as the missing symbol;
// CONTINUOUS and MIXED data and other STATESFORMATs are refused by name.
//
// After a read the interpreter clears update bit 2 and posts 4, 8 and 64;
// compute() runs on bits 1 or 2, clears 2 and posts 4, 8, 64 and 256.
//
// States are unsigned bytes. A byte's color is symbols2colors[byte]; 0 means
// "no state" (missing, gap, match symbol, converted ambiguity code).
#pragma once

#include <string>
#include <vector>

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;

// Rows 1..ntax, each over sites 1..nchar; row 0 and column 0 unused.
using tCharMatrix = std::vector<std::vector<unsigned char>>;

class tCharactersBlk {
public:
  tCharactersBlk();
  ~tCharactersBlk();
  tCharactersBlk(const tCharactersBlk&) = delete;
  tCharactersBlk& operator=(const tCharactersBlk&) = delete;

  // ---- block protocol
  int valid() const { return _valid; }
  // A matrix was read, perhaps of no use for analysis (all sites constant
  // among the active taxa): it is still the user's data, and saved.
  bool holds_matrix() const { return _held; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(int show_matrix, tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);
  // Recomputes the active sites when update bit 1 or 2 is pending.
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions);
  // Restricts the rows to the TAXA block's active taxa; the full rows are kept.
  void set_active_taxa(tTaxaBlk* taxa);

  // ---- dimensions and the matrix (active taxa only)
  int get_ntax() const { return ntax; }
  int get_nchar() const { return nchar; }
  int get_active_nchar() const { return active_nchar; }
  // Rows held before the first restriction to active taxa; 0 while none was made.
  int get_ntax_orig() const { return ntax_orig; }
  // State of active taxon t (1..ntax) at site c (1..nchar).
  unsigned char get_matrix(int t, int c) const { return _rows[_row_of[t]][c]; }
  // Row of active taxon t, indexed by site 1..nchar.
  const unsigned char* get_row(int t) const { return _rows[_row_of[t]].data(); }
  // 1 when site c is active (every site is active before the first compute).
  int get_mask(int c) const;
  const char* get_datatype() const { return datatype.c_str(); }
  const char* get_symbols() const { return symbols.c_str(); }
  // Label of character c: its number (per-thread scratch, valid until the next call).
  const char* getlabel(int c) const;

  bool has_charweights() const { return !charweights.empty(); }
  float get_charweight(int c) const;
  void set_charweight(int c, double x);

  // ---- site statistics and derived data
  // Counts gap, missing, constant and uninformative sites and reports them;
  // a matrix of constant sites only makes the block invalid.
  void count_sites(const tTaxaBlk* taxa);
  // Fills constant_freq so that it sums to n in the proportions of the
  // constant active sites' states.
  void compute_const_freq(int n);
  // The active sites of the active taxa: ntax_mat rows of nchar_mat states.
  int make_source_matrix(int& ntax_mat, int& nchar_mat, tCharMatrix& source_mat) const;
  // A bootstrap sample: the matrix becomes ntax rows of `length` sites, each
  // site a column of `source` (ntax rows of nchar sites) drawn with
  // replacement by the reference generator; the block becomes valid.
  void sample(int ntax, int nchar, int length, const tCharMatrix& source);
  // The same with the columns drawn beforehand (columns[1..length]).
  void sample(int ntax, int length, const tCharMatrix& source, const std::vector<int>& columns);
  // Draws `length` column numbers in 1..nchar (entries 1..length; entry 0
  // unused), one ref_rand() each, in the order sample() uses them.
  static std::vector<int> draw_sample_columns(int nchar, int length);
  // Site-pattern counts of the three two-class recodings of nucleotide sites
  // (G/C:A/T, A/G:C/T, A/C:G/T): s_vec[1..3], each of nsize entries, with
  // nsize >= 2^(ntax-1). Returns the number of sites used.
  int compute_s_vectors(int nsize, std::vector<std::vector<float>>& s_vec) const;

  // ---- state coding and format, read by the transforms
  int ncolors = 0;
  unsigned char symbols2colors[256] = {};  // byte -> color, 0 = no state
  unsigned char colors2symbols[256] = {};  // color 1..ncolors -> byte
  float constant_freq[256] = {};           // per state byte: constant sites to discount
  int missing = '?';
  int gap = 0;        // 0 = none
  int matchchar = 0;  // 0 = none
  int respectcase = 0;
  int labels = 1;
  int transpose = 0;
  int interleave = 0;
  int tokens = 0;
  int n_gaps = 0, n_missing = 0, n_constant = 0, n_nonparsimony = 0;

private:
  int _valid = 0;
  bool _held = false;
  int ntax = 0;
  int nchar = 0;
  int active_nchar = 0;
  int ntax_orig = 0;
  std::string datatype;            // upper case; empty until FORMAT or MATRIX
  std::string symbols = "01";      // in color order
  std::string _all_symbols = "?";  // every byte allowed in the matrix
  std::string items;
  std::string datapoint = "STANDARD";
  std::vector<float> charweights;  // 0..nchar; empty = none
  tCharMatrix _rows;               // every row read, 1..ntax (or 1..ntax_orig once restricted)
  std::vector<int> _row_of;        // active taxon -> index into _rows
  std::vector<unsigned char> _mask; // 0..nchar+1; empty = every site active
  // Reading state of one MATRIX command.
  int dna_rna_data = 0;
  int protein_data = 0;
  int warned_ambiguity = 0;
  int warned_polymorphism = 0;
  int set_close = 0;  // inside a polymorphic "(..)" or uncertain "{..}" cell: its closing bracket
  // EQUATE: the state a symbol stands for (0: none), or 1 when it stands for a set.
  unsigned char equate_to[256] = {};
  unsigned char equate_set[256] = {};
  // This read defines the taxa: the TAXA block was not valid when it began.
  bool defines_taxa = false;

  void set_colors();
  bool set_datatype(const char* name);
  void set_symbols(const char* list);
  bool set_char(int c, int& field);
  bool set_nchar_ntax(int nt, int nc);
  void print_active_sites_message() const;
  unsigned char* row(int t) { return _rows[_row_of[t]].data(); }

  int read_commands(tNexusInput* in, tTaxaBlk* taxa);
  int read_dimensions(tNexusInput* in, tTaxaBlk* taxa);
  int read_format(tNexusInput* in);
  int read_flag_value(tNexusInput* in, const char* name, int& flag, bool& pending);
  int refuse_data(tNexusInput* in, const char* what);
  int read_equate(tNexusInput* in);
  int read_format_char(tNexusInput* in, const char* name, int& field);
  int read_charweights(tNexusInput* in);
  int read_matrix_command(tNexusInput* in, tTaxaBlk* taxa);
  int read_matrix(tNexusInput* in, tTaxaBlk* taxa);
  int read_matrix_interleave(tNexusInput* in, tTaxaBlk* taxa);
  int read_matrix_transpose(tNexusInput* in);
  int read_matrix_interleave_transpose(tNexusInput* in);
  int read_row_label(tNexusInput* in, tTaxaBlk* taxa, int t, bool detect_nocase, int pos);
  int read_line_token(tNexusInput* in);
  int state_of(int x, unsigned char& state);

  void print_matrix(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void print_matrix_interleave(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void print_matrix_transpose(tNexusOutput* out) const;
  void print_matrix_interleave_transpose(tNexusOutput* out) const;
  void print_transposed_rows(tNexusOutput* out, int first, int last) const;
};
