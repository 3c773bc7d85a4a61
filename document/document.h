// The document: one object per NEXUS block, the title and header comments
// of the file it came from, and the update pipeline that recomputes derived
// blocks after each input.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_bootstrap.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_commands.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_extras.h"
#include "blocks/blk_sets.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "blocks/blk_trees.h"
#include "document/safe_save.h"

class tNexusInput;
class tNexusOutput;

class tDocument {
public:
  tDocument();
  ~tDocument();
  tDocument(const tDocument&) = delete;
  tDocument& operator=(const tDocument&) = delete;

  void init();
  void clear();
  void reset();

  const char* get_title() const;
  void set_title(const char* name);
  // The header comments, every byte as read (empty when there are none).
  const std::string& get_comments() const { return comments; }
  // Blocks of other programs, verbatim from BEGIN to the ";" behind END, in
  // the order read: a save writes them back so that nothing is lost.
  const std::vector<std::string>& get_foreign_blocks() const { return foreign_blocks; }
  // The whole document, and then the foreign blocks.
  void print_with_foreign(tNexusOutput* out);

  int read_file(const char* filename);
  int read_string(const char* text);
  int read_nexus(tNexusInput* in);
  void print_nexus(tNexusOutput* out);
  int print_file(const char* filename);
  void update_blocks();
  void update_blocks_bootstrapping();
  void check_assumptions();
  // The one-line summary of the data and the chosen analysis.
  const char* short_info_string();
  int import_reap(const char* filename);

  // Longest text read_string accepts (one less than its buffer).
  static constexpr int MAX_INPUT_STRING = 31998;
  // How deep files may OPEN one another.
  static constexpr int MAX_OPEN_DEPTH = 32;

  std::unique_ptr<tTaxaBlk> taxa;
  std::unique_ptr<tAssumptionsBlk> assumptions;
  std::unique_ptr<tCharactersBlk> characters;
  std::unique_ptr<tDistancesBlk> distances;
  std::unique_ptr<tSpectraBlk> spectra;
  std::unique_ptr<tSplitsBlk> splits;
  std::unique_ptr<tSplitsGraphBlk> sgraph;
  std::unique_ptr<tSetsBlk> sets;
  std::unique_ptr<tExtrasBlk> extras;
  std::unique_ptr<tBootstrapBlk> bootstrap;
  std::unique_ptr<tCommandsBlk> commands;
  std::unique_ptr<tTreesBlk> trees;

  int freeze_update = 0;

private:
  // Counts the failure and names the blocks it emptied.
  void report_failed_step(const char* step, bool had_splits, bool had_graph, bool had_support);

  // Device and inode of each file being read, outermost first.
  std::vector<std::pair<dev_t, ino_t>> files_open;
  bool has_title = false;
  std::string title;
  std::string comments;
  std::vector<std::string> foreign_blocks;
  std::string info_line;

  friend class tParser;
};

