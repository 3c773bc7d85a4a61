// QV_GRAPH block (not yet able to hold data: never valid).
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
class tBootstrapBlk;

class tSplitsGraphBlk {
public:
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tSplitsBlk* splits);
  int read(tNexusInput* in, tTaxaBlk* taxa, tSplitsBlk* splits);
  // The DRAW command: reads draw entries up to ";".
  int read_draw(tNexusInput* in, tSplitsBlk* splits);
  // The PS command: the graph as Encapsulated PostScript.
  int write_ps(const tTaxaBlk* taxa, const tSplitsBlk* splits, const tBootstrapBlk* bootstrap,
               const char* info, const char* filename, const char* title) const;
  // How splits are labelled in the drawing.
  const char* get_splitlabels() const { return "NONE"; }

private:
  int _valid = 0;
};
