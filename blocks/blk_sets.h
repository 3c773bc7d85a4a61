// SETS block: named sets of taxa and of character positions, kept and
// written back; nothing computed depends on them.
//
//   BEGIN SETS;
//     TAXSET name = taxa-set;         -> taxsets  (numbers 1..ntax, ranges a-b, a-.)
//     CHARSET name = character-set;   -> charsets (numbers 1..nchar)
//   END;
//
// A further SETS block appends to the lists; a block with a fault adds
// nothing (the reader keeps its text). No update bits are posted.
#pragma once

#include "core/labsets.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;

class tSetsBlk {
public:
  tSetsBlk();
  ~tSetsBlk();

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);

  const tLabSets& get_taxsets() const { return taxsets; }
  const tLabSets& get_charsets() const { return charsets; }

private:
  tLabSets taxsets;
  tLabSets charsets;
  int _valid = 0;
};
