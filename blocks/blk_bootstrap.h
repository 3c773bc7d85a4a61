// QV_BOOTSTRAP block (not yet able to hold data: never valid).
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

class tBootstrapBlk {
public:
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tSplitsBlk* splits, tSplitsGraphBlk* sgraph);
  int read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tSplitsBlk* splits);
  int get_runs() const { return 0; }

private:
  int _valid = 0;
};
