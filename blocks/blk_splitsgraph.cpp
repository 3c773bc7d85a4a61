#include "blocks/blk_splitsgraph.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "blocks/blk_bootstrap.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "draw/ps_draw_graph.h"
#include "draw/tcltk_draw.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"

namespace {

// The edge rows keep "-" inside numbers so that negative angles read whole.
const char* const EDGES_PUNCTUATION = "()[]{}/\\,;:=*'\"`+<>";

const char* const TAXLABEL_MODES[] = {"NAMES", "NUMBERS", "BOTH", "NONE"};
const char* const SPLITLABEL_MODES[] = {"NONE", "NUMBERS", "VALUES", "ANGLES", "NVALUES", "NBOOTSTRAPS", "BOOTSTRAPS"};

// A whole token as an int.
bool parse_int(const char* s, int* value)
{
  if (!s || !*s)
    return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 10);
  if (*end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
    return false;
  *value = static_cast<int>(v);
  return true;
}

// An int, or the same with a one-letter prefix (the canvas tags s3, t5).
bool parse_tagged_int(const char* s, char prefix, int* value)
{
  if (s && (*s == prefix || *s == prefix - 'a' + 'A'))
    return parse_int(s + 1, value);
  return parse_int(s, value);
}

// A finite number from the current token.
bool current_finite(tNexusInput* in, double* value)
{
  double v = 0.0;
  if (!in->ReadCurrentTokenDouble(&v) || !std::isfinite(v))
    return false;
  *value = v;
  return true;
}

bool next_finite(tNexusInput* in, double* value)
{
  in->NextToken();
  return current_finite(in, value);
}

// A value stored as a float must fit one.
bool fits_float(double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

// Tenths of a degree for an angle in degrees, when they fit an int.
bool angle_tenths(double degrees, int* tenths)
{
  const double t = degrees * 10.0;
  if (!std::isfinite(t) || t <= INT_MIN || t >= INT_MAX)
    return false;
  *tenths = static_cast<int>(t);
  return true;
}


} // namespace

tSplitsGraphBlk::tSplitsGraphBlk() { init(); }

tSplitsGraphBlk::~tSplitsGraphBlk() { clear(); }

void tSplitsGraphBlk::init()
{
  mark = 0;
  taxlabels = "NAMES";
  splitlabels = "NONE";
  to_scale = 1;
  scalebar = 0.0;
  ntax = nsplits = nvertices = nedges = 0;
  labels = 1;
  show_split_angles = 0;
  _valid = 0;
  hflip = vflip = hoffset = voffset = rotate = 0;
  zoom = 0.0;
  minx = maxx = miny = maxy = 0.0;
}

// The graph itself is emptied only when it is rebuilt or read.
void tSplitsGraphBlk::clear()
{
  translate.clear();
  taxlabeloffset.clear();
  split_angles.clear();
  split_lengths.clear();
  split_non_planar.clear();
  tax2vertex.clear();
  vertices.clear();
  taxlabels.clear();
  splitlabels.clear();
}

bool tSplitsGraphBlk::compare_name(const char* name) const { return same_token(name, "QV_GRAPH"); }

void tSplitsGraphBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN QV_GRAPH;\n",
    "    DIMENSIONS NTAX=number-of-taxa NSPLITS=number-of-splits\n",
    "        NVERTICES=number-of-vertices NEDGES=number-of-edges;]\n",
    "    [FORMAT\n",
    "        [[NO] LABELS]\n",
    "        [[NO] ANGLES]\n",
    "    ;]\n",
    "    [DRAW\n",
    "        [{TO_SCALE|EQUAL_EDGES}]\n",
    "        [MARK=split-number]\n",
    "        [TAXLABELS={NAMES|NUMBERS|BOTH|NONE}]\n",
    "        [SPLITLABELS={VALUES|BOOTSTRAPS|NUMBERS|NONE}]\n",
    "        [ANGLE split-number new-angle]\n",
    "        [HOFFSET=horizontal-offset]\n",
    "        [VOFFSET=vertical-offset]\n",
    "        [HFLIP=horizontal-flip]\n",
    "        [VFLIP=vertical-flip]\n",
    "        [ROTATE=rotation]\n",
    "        [ZOOM={zoom-factor|AUTO}]\n",
    "    ;]\n",
    "    [TAXLABELOFFSET\n",
    "        [taxon_1 x y,\n",
    "        taxon_2 x y,\n",
    "        ...\n",
    "        taxon_ntax x y,]\n",
    "    ;]\n",
    "    [TRANSLATE\n",
    "        [vertex_1 taxon_1,\n",
    "        vertex_2 taxon_2,\n",
    "        ...\n",
    "        vertex_ntax taxon_ntax,]\n",
    "    ;]\n",
    "    VERTICES\n",
    "         [label_1] x_1 y_1,\n",
    "        [label_2] x_2 y_2,\n",
    "         ...\n",
    "         [label_nvertices] x_nvertices y_nvertices,\n",
    "    ;\n",
    "    EDGES\n",
    "        [label_1] (v_11 w_11) (v_12 w_12) ... ,\n",
    "        [label_2] (v_21 w_21) (v_22 w_22) ... ,\n",
    "        ...\n",
    "        [label_nsplits] (v_nsplits1 w_nsplits1) (v_nsplits2 w_nsplits2) ...,\n",
    "    ;\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tSplitsGraphBlk::show_info() const
{
  if (_valid)
    message("Valid QV_GRAPH block: %d vertices and %d edges\n", nvertices, nedges);
  else
    message("No valid QV_GRAPH block\n");
}

int tSplitsGraphBlk::get_split_angle(int p) const
{
  return p >= 1 && p < static_cast<int>(split_angles.size()) ? split_angles[p] : 0;
}

double tSplitsGraphBlk::get_split_length(int p) const
{
  return p >= 1 && p < static_cast<int>(split_lengths.size()) ? split_lengths[p] : 0.0;
}

tSplitsGraphBlk::tOffset tSplitsGraphBlk::get_taxlabeloffset(int t) const
{
  return t >= 1 && t < static_cast<int>(taxlabeloffset.size()) ? taxlabeloffset[t] : tOffset();
}

const tVertex* tSplitsGraphBlk::get_tax2vertex(int t) const
{
  return t >= 1 && t < static_cast<int>(tax2vertex.size()) ? tax2vertex[t] : nullptr;
}

// ---------------------------------------------------------------- writing

int tSplitsGraphBlk::print(tNexusOutput* out, const tTaxaBlk* /*taxa*/) const
{
  if (!_valid) {
    message("No valid QV_GRAPH block\n");
    return 0;
  }
  out->Print("BEGIN qv_graph;\n");
  out->Print("    DIMENSIONS ntax=%d nsplits=%d nvertices=%d nedges=%d;\n", ntax, nsplits, nvertices, nedges);

  out->Print("    FORMAT\n");
  out->Print(labels ? "        labels\n" : "        no labels\n");
  out->Print(show_split_angles ? "        angles\n" : "        no angles\n");
  out->Print("    ;\n");

  out->Print("    DRAW\n");
  out->Print(to_scale ? "        to_scale\n" : "        equal_edges\n");
  if (mark != 0)
    out->Print("        mark=%d\n", mark);
  if (taxlabels != "NAMES")
    out->Print("        taxlabels=%s\n", taxlabels.c_str());
  if (splitlabels != "NONE")
    out->Print("        splitlabels=%s\n", splitlabels.c_str());
  if (hoffset != 0)
    out->Print("        hoffset=%d\n", hoffset);
  if (voffset != 0)
    out->Print("        voffset=%d\n", voffset);
  if (hflip != 0)
    out->Print("        hflip=%d\n", hflip);
  if (vflip != 0)
    out->Print("        vflip=%d\n", vflip);
  if (rotate != 0)
    out->Print("        rotate=%d\n", rotate);
  if (zoom == 0.0)
    out->Print("        zoom=auto\n");
  else
    out->Print("        zoom=%G\n", zoom / 100.0);
  out->Print("    ;\n");

  if (!split_non_planar.empty()) {
    out->Print("    NON_PLANAR");
    const int top = std::min(nsplits, static_cast<int>(split_non_planar.size()) - 1);
    for (int p = 1; p <= top; p++)
      if (split_non_planar[p])
        out->Print(" %d", p);
    out->Print(";\n");
  }

  if (!taxlabeloffset.empty()) {
    out->Print("    TAXLABELOFFSET\n");
    for (int t = 1; t <= ntax; t++) {
      const tOffset o = get_taxlabeloffset(t);
      out->Print("       %d %5f %5f,\n", t, static_cast<double>(o.dx), static_cast<double>(o.dy));
    }
    out->Print("    ;\n");
  }

  if (!translate.empty()) {
    out->Print("    TRANSLATE\n");
    for (int t = 1; t <= ntax; t++)
      out->Print("       %d %d,\n", t < static_cast<int>(translate.size()) ? translate[t] : 0, t);
    out->Print("    ;\n");
  }

  print_vertices(out);
  print_edges(out);
  out->Print("END;\n");
  return 1;
}

void tSplitsGraphBlk::print_vertices(tNexusOutput* out) const
{
  out->Print("    VERTICES\n");
  for (int n = 1; n <= nvertices; n++) {
    const tVertex* v = graph.find_vertex(n);
    if (!v)
      error("tSplitsGraphBlk::print_vertices(): no vertex %d of %d", n, nvertices);
    if (labels)
      out->Print("        %d", n);
    else
      out->Print("        ");
    out->Print(" %5f %5f,\n", v->x, v->y);
  }
  out->Print("    ;\n");
}

void tSplitsGraphBlk::print_edges(tNexusOutput* out) const
{
  out->Print("    EDGES\n");
  for (int p = 1; p <= nsplits; p++) {
    if (labels)
      out->Print("        %d", p);
    else
      out->Print("        ");
    if (show_split_angles)
      out->Print(" %g", get_split_angle(p) * 0.1);
    for (const tEdge* e = graph.first_edge(); e; e = graph.next_edge(e))
      if (e->color == p)
        out->Print(" (%d %d)", e->v->num, e->w->num);
    out->Print(",\n");
  }
  out->Print("    ;\n");
}

// ---------------------------------------------------------------- reading

int tSplitsGraphBlk::read(tNexusInput* in, tTaxaBlk* taxa, tSplitsBlk* splits)
{
  if (!taxa || !taxa->valid())
    return in->Error("QV_GRAPH", "Must be preceeded by TAXA-block");
  if (!in->CompareNextToken(";"))
    return in->Error("QV_GRAPH", "Missing ';'");
  if (!in->CompareNextToken("DIMENSIONS"))
    return in->Error("QV_GRAPH", "Expected DIMENSIONS command");
  if (!read_dimensions(in, taxa->get_ntax()))
    return 0;

  bool have_vertices = false;
  bool have_edges = false;
  bool at_end = false;
  while (in->NextToken()) {
    if (in->CurrentTokenIsEnd()) {
      at_end = true;
      break;
    }
    if (in->CompareCurrentToken("FORMAT")) {
      if (!read_format(in))
        return 0;
    } else if (in->CompareCurrentToken("DRAW")) {
      if (!read_draw(in, splits))
        return 0;
    } else if (in->CompareCurrentToken("TAXLABELOFFSET")) {
      if (!read_taxlabeloffset(in))
        return 0;
    } else if (in->CompareCurrentToken("TRANSLATE")) {
      if (!read_translate(in, taxa))
        return 0;
    } else if (in->CompareCurrentToken("NON_PLANAR")) {
      if (!read_non_planar(in))
        return 0;
    } else if (in->CompareCurrentToken("VERTICES")) {
      // The graph held so far is gone, so the block holds none until the
      // new one is complete.
      nvertices = nedges = 0;
      _valid = 0;
      have_edges = false;
      graph.clear();
      tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
      have_vertices = read_vertices(in, taxa) != 0;
      if (!have_vertices)
        return 0;
    } else if (in->CompareCurrentToken("EDGES")) {
      if (!have_vertices)
        return in->Error("EDGES", "Must define vertices first");
      tPunctuationScope punct(in, EDGES_PUNCTUATION);
      have_edges = read_edges(in) != 0;
      if (!have_edges)
        return 0;
    } else {
      return in->Error("QV_GRAPH", "Unknown command: %s", in->CurrentToken());
    }
  }

  if (have_vertices && have_edges) {
    _valid = 1;
    if (!split_non_planar.empty())
      split_non_planar.resize(nsplits + 1, 0);
    show_info();
    compute_bbox();
    compute_scalebar();
  }
  if (_valid && taxlabeloffset.empty())
    compute_taxlabeloffset();
  if (!at_end)
    return in->Error("QV_GRAPH", "Unexpected EOF");
  if (!_valid)
    return in->Error("QV_GRAPH", "Not valid");
  return 1;
}

// The four counts in their fixed order. They replace the held ones only
// when all four were read; a graph whose counts they change is no longer
// the one the block describes.
int tSplitsGraphBlk::read_dimensions(tNexusInput* in, int taxa_ntax)
{
  const char* where = "QV_GRAPH-dimensions";
  int t = 0, s = 0, v = 0, e = 0;
  if (!in->CompareNextToken("NTAX") || !in->CompareNextToken("=") || !in->ReadNextTokenInt(&t) || t != taxa_ntax)
    return in->Error(where, "Expected NTAX=%d", taxa_ntax);
  // A split system without splits gives an empty graph, written with all
  // three counts 0; it must read back like any other.
  if (!in->CompareNextToken("NSPLITS") || !in->CompareNextToken("=") || !in->ReadNextTokenInt(&s) || s < 0)
    return in->Error(where, "Expected NSPLITS");
  const int least = s == 0 ? 0 : 1;
  if (!in->CompareNextToken("NVERTICES") || !in->CompareNextToken("=") || !in->ReadNextTokenInt(&v) || v < least ||
      (s == 0 && v != 0))
    return in->Error(where, "Expected NVERTICES");
  if (!in->CompareNextToken("NEDGES") || !in->CompareNextToken("=") || !in->ReadNextTokenInt(&e) || e < least ||
      (s == 0 && e != 0))
    return in->Error(where, "Expected NEDGES");
  if (!in->CompareNextToken(";"))
    return in->Error(where, "Missing ';'");
  if (t != ntax || s != nsplits || v != nvertices || e != nedges)
    _valid = 0;
  ntax = t;
  nsplits = s;
  nvertices = v;
  nedges = e;
  return 1;
}

int tSplitsGraphBlk::read_format(tNexusInput* in)
{
  while (in->NextToken() && !in->CompareCurrentToken(";")) {
    if (in->CompareCurrentToken("LABELS")) {
      labels = 1;
    } else if (in->CompareCurrentToken("ANGLES")) {
      show_split_angles = 1;
    } else if (in->CompareCurrentToken("NO")) {
      if (in->CompareNextToken("LABELS"))
        labels = 0;
      else if (in->CompareCurrentToken("ANGLES"))
        show_split_angles = 0;
      else
        return in->Error("QV_GRAPH-format", "Usage: NO {LABELS|ANGLES}");
    } else {
      return in->Error("QV_GRAPH-format", "Unknown command: %s", in->CurrentToken());
    }
  }
  return 1;
}

// TAXLABELOFFSET, TRANSLATE and NON_PLANAR replace what the block holds only
// when they were read whole: a faulty part leaves a held graph as it was.
int tSplitsGraphBlk::read_taxlabeloffset(tNexusInput* in)
{
  std::vector<tOffset> offsets(ntax + 1);
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  for (;;) {
    if (!in->NextToken())
      break;
    if (in->CompareCurrentToken(";")) {
      taxlabeloffset = std::move(offsets);
      return 1;
    }
    int t = 0;
    double x = 0.0, y = 0.0;
    const bool ok = in->ReadCurrentTokenInt(&t) && t >= 1 && t <= ntax && next_finite(in, &x) && fits_float(x) &&
                    next_finite(in, &y) && fits_float(y) && in->CompareNextToken(",");
    if (!in->CurrentToken())
      break;
    if (!ok)
      return in->Error("Usage: QV_GRAPH-taxlabeloffset", "taxon x y,");
    offsets[t].dx = static_cast<float>(x);
    offsets[t].dy = static_cast<float>(y);
  }
  return in->Error("QV_GRAPH-taxlabeloffset", "Unexpected EOF");
}

int tSplitsGraphBlk::read_translate(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* where = "QV_GRAPH-translate";
  std::vector<int> table(ntax + 1, 0);
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  int entries = 0;
  for (;;) {
    if (!in->NextToken())
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      break;
    if (entries >= ntax)
      return in->Error(where, "Too many taxa");
    int v = 0;
    if (!in->ReadCurrentTokenInt(&v) || v < 1 || v > nvertices)
      return in->Error(where, "Vertex expected (found: %s)", in->CurrentToken());
    if (!in->NextToken())
      return in->Error(where, "Unexpected EOF");
    int t = 0;
    if (!in->ReadCurrentTokenInt(&t))
      t = taxa->label2n(in->CurrentToken());
    if (t < 1 || t > ntax)
      return in->Error(where, "Taxon expected (found: %s)", in->CurrentToken());
    if (!in->NextToken())
      return in->Error(where, "Unexpected EOF");
    if (!in->CompareCurrentToken(","))
      return in->Error(where, "Expected ','");
    if (table[t] != 0)
      return in->Error(where, "Multiple occurance of taxon: %d", t);
    table[t] = v;
    entries++;
  }
  if (entries > 0 && entries < ntax)
    return in->Error(where, "Too few taxon");
  if (entries == 0)
    table.clear();
  translate = std::move(table);
  return 1;
}

// Marks are kept as they come; the array reaches nsplits + 1 entries once the
// block's edges have confirmed the number of splits.
int tSplitsGraphBlk::read_non_planar(tNexusInput* in)
{
  std::vector<char> marks(1, 0);
  while (in->NextToken() && !in->CompareCurrentToken(";")) {
    int p = 0;
    if (!in->ReadCurrentTokenInt(&p) || p < 1 || p > nsplits)
      return in->Error("QV_GRAPH-non_planar", "Usage: NON_PLANAR split1 split2...;");
    if (p >= static_cast<int>(marks.size()))
      marks.resize(p + 1, 0);
    marks[p] = 1;
  }
  split_non_planar = std::move(marks);
  return 1;
}

int tSplitsGraphBlk::read_vertices(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* where = "QV_GRAPH-vertices";
  tax2vertex.assign(ntax + 1, nullptr);
  vertices.assign(1, nullptr);
  int n = 0;
  while (in->NextToken() && !in->CompareCurrentToken(";")) {
    n++;
    if (labels) {
      int label = 0;
      bool ok = in->ReadCurrentTokenInt(&label) && label == n;
      if (!ok) {
        const int t = taxa->label2n(in->CurrentToken());
        ok = t >= 1 && t <= ntax && !translate.empty() && translate[t] == n;
      }
      if (!ok)
        return in->Error(where, "Bad label: %s (expected %d)", in->CurrentToken(), n);
      in->NextToken();
    }
    double x = 0.0, y = 0.0;
    if (!current_finite(in, &x) || !next_finite(in, &y))
      return in->Error(where, "Real number expected");
    if (!in->CompareNextToken(","))
      return in->Error(where, "Missing ','");

    tVertex* v = graph.new_vertex();
    v->num = n;
    v->x = x;
    v->y = y;
    v->taxa.resize(ntax);
    // Sized for the splits once the edges have confirmed their number.
    v->splits.resize(0);
    if (translate.empty()) {
      if (n <= ntax) {
        v->taxa.insert(n);
        tax2vertex[n] = v;
      }
    } else {
      for (int t = 1; t <= ntax; t++) {
        if (translate[t] == n) {
          v->taxa.insert(t);
          tax2vertex[t] = v;
        }
      }
    }
    vertices.push_back(v);
  }
  nvertices = n;
  // Labels, the tree output and the layout all start from a taxon's vertex
  // (the empty graph of a system without splits has none).
  for (int t = 1; t <= ntax && nsplits > 0; t++)
    if (!tax2vertex[t])
      return in->Error(where, "No vertex for taxon %d", t);
  return 1;
}

int tSplitsGraphBlk::read_edges(tNexusInput* in)
{
  const char* where = "QV_GRAPH-edges";
  split_angles.assign(1, 0);
  split_lengths.assign(1, 0.0);
  int p = 0;
  while (in->NextToken() && !in->CompareCurrentToken(";")) {
    if (p >= nsplits)
      return in->Error(where, "Too many rows (splits)");
    p++;
    split_angles.push_back(0);
    split_lengths.push_back(0.0);
    if (labels) {
      int label = 0;
      if (!in->ReadCurrentTokenInt(&label) || label != p)
        return in->Error(where, "Expected label %d, found: %d", p, label);
      if (!in->NextToken())
        return in->Error(where, "Unexpected EOF");
    }
    if (show_split_angles) {
      double a = 0.0;
      int tenths = 0;
      if (!current_finite(in, &a) || !angle_tenths(a, &tenths))
        return in->Error(where, "Expected angle (got: %s)", in->CurrentToken());
      split_angles[p] = tenths;
      if (!in->NextToken())
        return in->Error(where, "Unexpected EOF");
    }
    while (!in->CompareCurrentToken(",")) {
      if (!in->CompareCurrentToken("("))
        return in->Error(where, "Expected: '('");
      int v = 0, w = 0;
      if (!in->ReadNextTokenInt(&v) || v < 1 || v > nvertices)
        return in->CurrentToken() ? in->Error(where, "Vertex in 1..%d expected", nvertices)
                                  : in->Error(where, "Unexpected EOF");
      if (!in->ReadNextTokenInt(&w) || w < 1 || w > nvertices)
        return in->CurrentToken() ? in->Error(where, "Vertex in 1..%d expected", nvertices)
                                  : in->Error(where, "Unexpected EOF");
      if (!in->CompareNextToken(")"))
        return in->CurrentToken() ? in->Error(where, "Expected: ')'") : in->Error(where, "Unexpected EOF");
      tEdge* e = graph.new_edge(vertices[v], vertices[w]);
      e->color = p;
      if (!in->NextToken())
        return in->Error(where, "Unexpected EOF");
    }
  }
  if (p != nsplits)
    return in->Error(where, "Too few splits found");
  nedges = graph.num_edges();
  // A label needs a direction away from its vertex's neighbours.
  if (const tVertex* v = graph.isolated_labelled_vertex())
    return in->Error(where, "Vertex %d carries taxa but has no edge", v->num);

  for (tVertex* v = graph.first_vertex(); v; v = graph.next_vertex(v))
    v->splits.resize(nsplits);
  measure_splits(!show_split_angles);
  return 1;
}

// ---------------------------------------------------------------- DRAW

int tSplitsGraphBlk::read_draw(tNexusInput* in, tSplitsBlk* splits)
{
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  const tSplitsSystem* system = splits && splits->valid() ? splits->get_splits_system() : nullptr;
  for (;;) {
    if (!in->NextToken())
      return in->Error("QV_GRAPH-draw", "Unexpected EOF");
    int ok = 1;
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("MARK"))
      ok = draw_mark(in);
    else if (in->CompareCurrentToken("TAXLABELS"))
      ok = draw_labels(in, true);
    else if (in->CompareCurrentToken("SPLITLABELS"))
      ok = draw_labels(in, false);
    else if (in->CompareCurrentToken("HOFFSET"))
      ok = draw_offset(in, true);
    else if (in->CompareCurrentToken("VOFFSET"))
      ok = draw_offset(in, false);
    else if (in->CompareCurrentToken("HFLIP"))
      ok = draw_flip(in, true);
    else if (in->CompareCurrentToken("VFLIP"))
      ok = draw_flip(in, false);
    else if (in->CompareCurrentToken("ROTATE"))
      ok = draw_rotate(in);
    else if (in->CompareCurrentToken("ZOOM"))
      ok = draw_zoom(in);
    else if (in->CompareCurrentToken("ANGLE"))
      ok = draw_angle(in, system);
    else if (in->CompareCurrentToken("TAXLABELOFFSET"))
      ok = draw_taxlabeloffset(in);
    else if (in->CompareCurrentToken("TO_SCALE"))
      draw_edge_mode(1, system);
    else if (in->CompareCurrentToken("EQUAL_EDGES"))
      draw_edge_mode(0, system);
    else
      ok = in->Error("QV_GRAPH-draw", "Bad command");
    if (!ok)
      return 0;
  }
}

int tSplitsGraphBlk::draw_mark(tNexusInput* in)
{
  int p = 0;
  if (!in->CompareNextToken("=") || !in->NextToken() || !parse_tagged_int(in->CurrentToken(), 's', &p) || p < 0 ||
      p > nsplits)
    return in->Error("QV_GRAPH-draw", "Usage: mark=split-number");
  mark = p;
  return 1;
}

int tSplitsGraphBlk::draw_labels(tNexusInput* in, bool taxa)
{
  if (in->CompareNextToken("=") && in->NextToken()) {
    if (taxa) {
      for (const char* mode : TAXLABEL_MODES)
        if (in->CompareCurrentToken(mode)) {
          taxlabels = mode;
          return 1;
        }
    } else {
      for (const char* mode : SPLITLABEL_MODES)
        if (in->CompareCurrentToken(mode)) {
          splitlabels = mode;
          return 1;
        }
    }
  }
  return taxa ? in->Error("QV_GRAPH-draw", "Usage: TAXLABELS={NAMES|NUMBERS|BOTH|NONE}")
              : in->Error("QV_GRAPH-draw", "Usage: SPLITLABELS={VALUES|NUMBERS|BOOTSTRAPS|NONE}");
}

namespace {

// Generous bounds for the DRAW numbers, far inside what the drawing can
// compute with: offsets in display units, rotations in degrees, and zoom
// factors as the user writes them.
constexpr int MAX_DRAW_OFFSET = 1000000;
constexpr int MAX_DRAW_ROTATE = 1000000;
constexpr double MIN_DRAW_ZOOM = 1e-6, MAX_DRAW_ZOOM = 1e6;

bool offset_in_range(long long n) { return n >= -MAX_DRAW_OFFSET && n <= MAX_DRAW_OFFSET; }

} // namespace

int tSplitsGraphBlk::draw_offset(tNexusInput* in, bool horizontal)
{
  int& field = horizontal ? hoffset : voffset;
  const char* name = horizontal ? "HOFFSET" : "VOFFSET";
  int n = 0;
  in->NextToken();
  if (in->CompareCurrentToken("=")) {
    if (!in->ReadNextTokenInt(&n) || !offset_in_range(n))
      return in->Error("QV_GRAPH-draw", "Usage: %s=number", name);
    field = n;
    return 1;
  }
  if (in->CompareCurrentToken("+=")) {
    if (!in->ReadNextTokenInt(&n) || !offset_in_range(static_cast<long long>(field) + n))
      return in->Error("QV_GRAPH-draw", "Usage: %s'+='number", name);
    field += n;
    return 1;
  }
  return in->Error("QV_GRAPH-draw", "Usage: %s=number or %s'+='number", name, name);
}

int tSplitsGraphBlk::draw_flip(tNexusInput* in, bool horizontal)
{
  int& field = horizontal ? hflip : vflip;
  const char* name = horizontal ? "HFLIP" : "VFLIP";
  in->NextToken();
  if (in->CompareCurrentToken("=")) {
    int n = 0;
    if (!in->ReadNextTokenInt(&n))
      return in->Error("QV_GRAPH-draw", "Usage: %s=number", name);
    field = n;
    return 1;
  }
  if (in->CompareCurrentToken("++")) {
    field = field ? 0 : 1;
    return 1;
  }
  return in->Error("QV_GRAPH-draw", "Usage: %s=number; or %s'++';", name, name);
}

int tSplitsGraphBlk::draw_rotate(tNexusInput* in)
{
  in->NextToken();
  if (in->CompareCurrentToken("=")) {
    int n = 0;
    if (!in->ReadNextTokenInt(&n) || n < -MAX_DRAW_ROTATE || n > MAX_DRAW_ROTATE)
      return in->Error("QV_GRAPH-draw", "Usage: ROTATE=number");
    rotate = n;
    return 1;
  }
  const bool up = in->CompareCurrentToken("++");
  if (up || in->CompareCurrentToken("--")) {
    // Turning on and on stays in range: a full turn changes nothing.
    if (rotate <= -MAX_DRAW_ROTATE || rotate >= MAX_DRAW_ROTATE)
      rotate %= 360;
    rotate += up ? 5 : -5;
    return 1;
  }
  return in->Error("QV_GRAPH-draw", "Usage: ROTATE=number; or ROTATE++; or ROTATE--;");
}

int tSplitsGraphBlk::draw_zoom(tNexusInput* in)
{
  in->NextToken();
  if (in->CompareCurrentToken("=")) {
    double x = 0.0;
    in->NextToken();
    if (in->CompareCurrentToken("AUTO")) {
      zoom = 0.0;
    } else if (in->CompareCurrentToken("NOAUTO")) {
      zoom = std::fabs(zoom);
    } else if (current_finite(in, &x) &&
               (x == 0.0 || (std::fabs(x) >= MIN_DRAW_ZOOM && std::fabs(x) <= MAX_DRAW_ZOOM))) {
      // Negative: an automatic scale a drawing chose, as saved files hold it.
      zoom = 100.0 * x;
    } else {
      return in->Error("QV_GRAPH-draw", "Usage: ZOOM={number|AUTO|NOAUTO}");
    }
    return 1;
  }
  const bool up = in->CompareCurrentToken("++");
  if (up || in->CompareCurrentToken("--")) {
    const double z = std::fabs(zoom) * (up ? 1.1 : 0.9);
    // Beyond the bounds the picture could not be drawn any more.
    if (z >= 100.0 * MIN_DRAW_ZOOM && z <= 100.0 * MAX_DRAW_ZOOM)
      zoom = z;
    return 1;
  }
  return in->Error("QV_GRAPH-draw", "Usage: ZOOM=number; or ZOOM'++'; or ZOOM'--'; or ZOOM=NOAUTO;");
}

int tSplitsGraphBlk::draw_angle(tNexusInput* in, const tSplitsSystem* splits)
{
  int p = 0;
  if (!in->NextToken() || !parse_tagged_int(in->CurrentToken(), 's', &p) || p < 1 || p > nsplits)
    return in->Error("QV_GRAPH-draw", "Expected split-number 1..%d", nsplits);
  in->NextToken();
  int sign = 0;
  if (in->CompareCurrentToken("+="))
    sign = 1;
  else if (in->CompareCurrentToken("-="))
    sign = -1;
  if (sign != 0 || in->CompareCurrentToken("="))
    in->NextToken();
  double a = 0.0;
  int tenths = 0;
  if (!current_finite(in, &a))
    return in->Error("QV_GRAPH-draw", "angel {=|+=|-=} value");
  if (sign != 0) {
    // Turning on a mirrored picture turns the other way in the world.
    if ((hflip != 0) != (vflip != 0))
      sign = -sign;
    a = get_split_angle(p) / 10 + sign * a;
  }
  if (std::fabs(a) > MAX_DRAW_ROTATE || !angle_tenths(a, &tenths))
    return in->Error("QV_GRAPH-draw", "angel {=|+=|-=} value");
  if (!_valid) {
    message("Will ignore initial ANGLE commands\n");
    return 1;
  }
  const tSet S = far_side(p, splits);
  change_split_angle(S, p, get_split_length(p), tenths);
  compute_bbox();
  compute_scalebar();
  return 1;
}

int tSplitsGraphBlk::draw_taxlabeloffset(tNexusInput* in)
{
  int t = 0;
  double x = 0.0, y = 0.0;
  if (!in->NextToken() || !parse_tagged_int(in->CurrentToken(), 't', &t) || !next_finite(in, &x) ||
      !next_finite(in, &y))
    return in->Error("QV_GRAPH-draw", "Usage: TAXLABELOFFSET taxon x y");
  const tVertex* v = get_tax2vertex(t);
  if (taxlabeloffset.empty() || t < 1 || t > ntax || t >= static_cast<int>(taxlabeloffset.size()) || !v)
    return 1;
  double wx = 0.0, wy = 0.0;
  // The canvas point as the picture on screen shows it.
  canvas_transformation(*this).display2world(x, y, wx, wy);
  const double dx = wx - v->x, dy = wy - v->y;
  if (fits_float(dx) && fits_float(dy)) {
    taxlabeloffset[t].dx = static_cast<float>(dx);
    taxlabeloffset[t].dy = static_cast<float>(dy);
  }
  return 1;
}

void tSplitsGraphBlk::draw_edge_mode(int want_scale, const tSplitsSystem* splits)
{
  if (_valid && to_scale != want_scale && nsplits > 0) {
    zoom = 0.0;
    change_edge_mode(splits);
    compute_taxlabeloffset();
  } else {
    to_scale = want_scale;
  }
}

int tSplitsGraphBlk::write_ps(const tTaxaBlk* taxa, const tSplitsBlk* splits, const tBootstrapBlk* bootstrap,
                              const char* info, const char* filename, const char* title)
{
  return write_picture(tPictureFormat::PS, taxa, splits, bootstrap, info, filename, title);
}

int tSplitsGraphBlk::write_picture(tPictureFormat format, const tTaxaBlk* taxa, const tSplitsBlk* splits,
                                   const tBootstrapBlk* bootstrap, const char* info, const char* filename,
                                   const char* title)
{
  // Drawing remembers an automatic scale in zoom.
  return draw_picture(format, *this, taxa, splits, bootstrap ? bootstrap->get_support() : nullptr, info, filename,
                      title);
}
