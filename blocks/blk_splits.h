// QV_SPLITS block (not yet able to hold data: never valid).
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

class tSplitsBlk {
public:
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances, tSpectraBlk* spectra, tCharactersBlk* characters, int compute_cycle_fit_compat);
  void set_active_taxa(tTaxaBlk* taxa, tAssumptionsBlk* assumptions);
  int read(tNexusInput* in, tTaxaBlk* taxa);
  // How well the splits fit the distances, in percent; 0 when not computed.
  double get_fit() const { return 0; }

private:
  int _valid = 0;
};
