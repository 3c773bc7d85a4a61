// SETS block (not yet able to hold data: never valid).
#pragma once

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;
class tSpectraBlk;
class tSplitsBlk;
class tSplitsGraphBlk;

class tSetsBlk {
public:
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  int read(tNexusInput* in, tTaxaBlk* taxa);

private:
  int _valid = 0;
};
