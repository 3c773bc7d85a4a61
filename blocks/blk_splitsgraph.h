// QV_GRAPH block: the splits graph with its coordinates and every drawing
// parameter, so that a saved picture comes back exactly.
//
//   BEGIN QV_GRAPH;
//     DIMENSIONS NTAX=n NSPLITS=s NVERTICES=v NEDGES=e;  -> ntax (must match TAXA), nsplits, nvertices, nedges
//     FORMAT [NO] LABELS [NO] ANGLES;                    -> labels, show_split_angles
//     DRAW entries;                                      -> drawing parameters (read_draw, also the DRAW command)
//     NON_PLANAR s1 s2 ...;                              -> split_non_planar
//     TAXLABELOFFSET t dx dy, ...;                       -> taxlabeloffset
//     TRANSLATE vertex taxon, ...;                       -> translate (taxa of each vertex)
//     VERTICES [n] x y, ...;                             -> graph vertices, tax2vertex, vertices
//     EDGES [p] [angle] (v w) (v w) ..., ...;            -> graph edges of colour p, split_angles, split_lengths
//   END;
//
// DRAW entries (read under the label punctuation, so signs stay in numbers;
// the operators are quoted: zoom'++', angle 3 '+=' 12.5):
//   MARK=p | TAXLABELS=NAMES|NUMBERS|BOTH|NONE | SPLITLABELS=...
//   HOFFSET=n | HOFFSET'+='n | VOFFSET likewise | HFLIP=n | HFLIP'++' | VFLIP likewise
//   ROTATE=n | ROTATE'++' | ROTATE'--' | ZOOM=x|AUTO|NOAUTO | ZOOM'++' | ZOOM'--'
//   ANGLE p a | ANGLE p '+=' d | ANGLE p '-=' d | TAXLABELOFFSET t x y | TO_SCALE | EQUAL_EDGES
//
// Update bits: compute() reacts to 1 (active taxa: every parameter back to
// its default) and 16 (rebuild from QV_SPLITS), posts 2048 and clears 16.
// Reading the block keeps every drawing parameter the block does not set.
#pragma once

#include "draw/pictures.h"

#include <string>
#include <vector>

#include "graph/sgraph.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tSplitsBlk;
class tSplitsSystem;
class tBootstrapBlk;

class tSplitsGraphBlk {
public:
  struct tOffset {
    float dx = 0.0f;
    float dy = 0.0f;
  };

  tSplitsGraphBlk();
  ~tSplitsGraphBlk();
  tSplitsGraphBlk(const tSplitsGraphBlk&) = delete;
  tSplitsGraphBlk& operator=(const tSplitsGraphBlk&) = delete;

  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  // The update-pipeline step (layout.cpp).
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tSplitsBlk* splits);
  int read(tNexusInput* in, tTaxaBlk* taxa, tSplitsBlk* splits);
  // The DRAW command: reads draw entries up to ";".
  int read_draw(tNexusInput* in, tSplitsBlk* splits);
  // The PS command: the graph as Encapsulated PostScript.
  int write_ps(const tTaxaBlk* taxa, const tSplitsBlk* splits, const tBootstrapBlk* bootstrap,
               const char* info, const char* filename, const char* title);
  // The PS, SVG and PDF commands.
  int write_picture(tPictureFormat format, const tTaxaBlk* taxa, const tSplitsBlk* splits,
                    const tBootstrapBlk* bootstrap, const char* info, const char* filename, const char* title);

  // Empties the graph of splits that a failed computation dropped; the
  // drawing parameters stay for the next graph (layout.cpp).
  void discard_graph();
  // Builds the graph from a split system with its cycle; always 1.
  int compute_graph(const tSplitsSystem* splits, int reduce);
  // Toggles to_scale and moves every band to its new length (layout.cpp).
  // splits may be null: the sides of the bands are then taken from the graph.
  void change_edge_mode(const tSplitsSystem* splits);
  // Turns the band of split p (taxon set S, either side) to new_angle
  // tenths of a degree, keeping its length; no re-centring (layout.cpp).
  void change_split_angle(const tSet& S, int p, double wgt, int new_angle);

  // Drawing parameters and derived data, for the renderers, the GUI and tests.
  const tSplitsGraph& get_graph() const { return graph; }
  int get_mark() const { return mark; }
  const char* get_taxlabels() const { return taxlabels.c_str(); }
  // How splits are labelled in the drawing.
  const char* get_splitlabels() const { return splitlabels.c_str(); }
  int get_to_scale() const { return to_scale; }
  double get_scalebar() const { return scalebar; }
  int get_ntax() const { return ntax; }
  int get_nsplits() const { return nsplits; }
  int get_nvertices() const { return nvertices; }
  int get_nedges() const { return nedges; }
  int get_hflip() const { return hflip; }
  int get_vflip() const { return vflip; }
  int get_hoffset() const { return hoffset; }
  int get_voffset() const { return voffset; }
  int get_rotate() const { return rotate; }
  double get_zoom() const { return zoom; }
  void set_zoom(double z) { zoom = z; }
  // 0 outside 1..nsplits.
  int get_split_angle(int p) const;
  double get_split_length(int p) const;
  // (0, 0) outside 1..ntax or before offsets exist.
  tOffset get_taxlabeloffset(int t) const;
  // Null outside 1..ntax.
  const tVertex* get_tax2vertex(int t) const;
  void get_bbox(double& x0, double& y0, double& x1, double& y1) const
  {
    x0 = minx;
    y0 = miny;
    x1 = maxx;
    y1 = maxy;
  }

private:
  tSplitsGraph graph;
  int mark = 0;
  std::string taxlabels;
  std::string splitlabels;
  int to_scale = 1;
  double scalebar = 0.0;
  std::vector<tOffset> taxlabeloffset; // 1..ntax; empty = none
  std::vector<tVertex*> tax2vertex;    // 1..ntax
  int ntax = 0;
  int nsplits = 0;
  int nvertices = 0;
  int nedges = 0;
  int labels = 1;
  int show_split_angles = 0;
  std::vector<int> split_angles;       // 1..nsplits, tenths of a degree
  std::vector<double> split_lengths;   // 1..nsplits
  std::vector<char> split_non_planar;  // 1..nsplits; empty = none marked
  int _valid = 0;
  int hflip = 0;
  int vflip = 0;
  int hoffset = 0;
  int voffset = 0;
  int rotate = 0;
  double zoom = 0.0;
  double minx = 0.0, maxx = 0.0, miny = 0.0, maxy = 0.0;
  std::vector<int> translate;          // 1..ntax; empty = none
  std::vector<tVertex*> vertices;      // 1..nvertices

  void init();
  void clear();

  void print_vertices(tNexusOutput* out) const;
  void print_edges(tNexusOutput* out) const;
  int read_dimensions(tNexusInput* in, int taxa_ntax);
  int read_format(tNexusInput* in);
  int read_taxlabeloffset(tNexusInput* in);
  int read_translate(tNexusInput* in, const tTaxaBlk* taxa);
  int read_non_planar(tNexusInput* in);
  int read_vertices(tNexusInput* in, const tTaxaBlk* taxa);
  int read_edges(tNexusInput* in);
  int check_graph(tNexusInput* in);

  // DRAW entries, each after its keyword; 0 after a reported error.
  int draw_mark(tNexusInput* in);
  int draw_labels(tNexusInput* in, bool taxa);
  int draw_offset(tNexusInput* in, bool horizontal);
  int draw_flip(tNexusInput* in, bool horizontal);
  int draw_rotate(tNexusInput* in);
  int draw_zoom(tNexusInput* in);
  int draw_angle(tNexusInput* in, const tSplitsSystem* splits);
  int draw_taxlabeloffset(tNexusInput* in);
  void draw_edge_mode(int want_scale, const tSplitsSystem* splits);

  // Layout (layout.cpp).
  void compute_bbox();
  void compute_scalebar();
  void compute_taxlabeloffset();
  // Split lengths, and with angles also the directions, from the
  // coordinates of a graph that was read.
  void measure_splits(bool angles);
  // The taxa on the side of split p that does not hold taxon 1.
  tSet far_side(int p, const tSplitsSystem* splits);
};
