#include "document/tree_out.h"

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "core/message.h"

int tree_out(const char* kind, tTaxaBlk* taxa, tSplitsBlk* splits, tSplitsGraphBlk* sgraph)
{
  (void)kind;
  (void)taxa;
  if (!splits->valid() || !sgraph->valid()) {
    warning("show tree: invalid data");
    return 0;
  }
  return 0;
}
