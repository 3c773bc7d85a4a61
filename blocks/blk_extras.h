// QV_EXTRAS block (not yet able to hold data: never valid).
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

class tExtrasBlk {
public:
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tDistancesBlk* distances);
  int read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions);

private:
  int _valid = 0;
};
