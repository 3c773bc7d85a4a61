list(APPEND QV_CORE_SOURCES
  blocks/blk_taxa.cpp
  blocks/unused_commands.cpp
  blocks/blk_assumptions.cpp
  blocks/blk_commands.cpp
  blocks/blk_characters.cpp
  blocks/s_vector.cpp
  blocks/blk_distances.cpp
  blocks/blk_spectra.cpp
  blocks/blk_splits.cpp
  blocks/blk_splitsgraph.cpp
  blocks/blk_sets.cpp
  blocks/blk_extras.cpp
  blocks/blk_bootstrap.cpp
  blocks/blk_trees.cpp
  blocks/newick.cpp
)
