// Layout of the QV_GRAPH block: the pipeline step, the bounding box, the
// scale bar, label offsets, to-scale against equal edges and turning a band.
#include <algorithm>
#include <cmath>
#include <utility>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "graph/compute_graph_n.h"
#include "splits/splits_sys.h"

namespace {

const double DEG2RAD = 0.01745329252;

} // namespace

// ---------------------------------------------------------------- pipeline

void tSplitsGraphBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tSplitsBlk* splits)
{
  if (!assumptions)
    return;
  tUpdate& update = assumptions->update;
  bool ok = taxa && taxa->valid() && assumptions->valid();
  const bool have_splits = splits && splits->valid() && splits->get_splits_system();

  if (ok && update.check(1)) {
    clear();
    init();
    if (!have_splits) {
      warning("EXTAXA not implemented for data containing no QV_SPLITS");
      message("QV_GRAPH has been deleted\n");
      ok = false;
    } else {
      update.post(16);
    }
  }
  if (ok && have_splits && update.check(16)) {
    zoom = 0.0;
    message("Computing QV_GRAPH from QV_SPLITS:");
    if (!compute_graph(splits->get_splits_system(), assumptions->reduce_graph)) {
      message(" more than %d vertices: not drawn\n", MAX_GRAPH_VERTICES);
      warning("The splits graph would have more than %d vertices: too many splits that cross and are not "
              "arcs of one circle (for a consensus network, raise the threshold)",
              MAX_GRAPH_VERTICES);
      note_failure();
      clear();
      init();
      update.unpost(16);
      return;
    }
    message(" %d vertices and %d edges\n", nvertices, nedges);
    compute_bbox();
    compute_scalebar();
    compute_taxlabeloffset();
    _valid = 1;
    update.post(2048);
  }
  update.unpost(16);
}

void tSplitsGraphBlk::discard_graph()
{
  compute_graph(nullptr, 0);
  compute_bbox();
  scalebar = 0.0;
  taxlabeloffset.clear();
  zoom = 0.0;
  _valid = 0;
}

int tSplitsGraphBlk::compute_graph(const tSplitsSystem* splits, int reduce)
{
  tGraphBuildResult r;
  ::compute_graph(&graph, splits, reduce, to_scale, &r);
  mark = 0;
  ntax = r.ntax;
  nsplits = r.nsplits;
  split_angles = std::move(r.split_angles);
  split_lengths = std::move(r.split_lengths);
  split_non_planar = std::move(r.split_non_planar);
  nvertices = r.nvertices;
  nedges = r.nedges;
  vertices = std::move(r.vertices);
  tax2vertex = std::move(r.tax2vertex);
  translate = std::move(r.translate);
  // Without vertices there is nothing to translate to.
  if (nvertices == 0)
    translate.clear();
  // Every taxon has its slot, also when there was nothing to build.
  if (static_cast<int>(tax2vertex.size()) < ntax + 1)
    tax2vertex.resize(ntax + 1, nullptr);
  _valid = r.valid;
  return r.too_large ? 0 : 1;
}

// ---------------------------------------------------------------- derived data

void tSplitsGraphBlk::compute_bbox() { graph.compute_bbox(minx, miny, maxx, maxy); }

void tSplitsGraphBlk::compute_scalebar()
{
  double m = 0.0;
  for (const tEdge* e = graph.first_edge(); e; e = graph.next_edge(e)) {
    const double d = vw_distance(e->v, e->w);
    if (d > m)
      m = d;
  }
  // An infinite length has no power of ten below it.
  if (m == 0.0 || !std::isfinite(m)) {
    scalebar = 0.0;
    return;
  }
  int e = 0;
  if (m > 1) {
    while (m > 1) {
      m /= 10;
      e++;
    }
    e--;
  } else {
    while (m < 1) {
      m *= 10;
      e--;
    }
  }
  scalebar = std::pow(10.0, e);
}

void tSplitsGraphBlk::compute_taxlabeloffset()
{
  const double d = std::fabs(std::min(maxx - minx, maxy - miny)) * 0.1;
  taxlabeloffset.assign(ntax + 1, tOffset());
  for (const tVertex* v = graph.first_vertex(); v; v = graph.next_vertex(v)) {
    if (v->taxa.first_element(0) == 0)
      continue;
    const int degree = v->edges().num();
    if (degree == 0)
      error("isolated vertex");
    double cx = 0.0, cy = 0.0;
    for (int i = 1; i <= degree; i++) {
      const tVertex* u = v->edges().get(i)->other(v);
      cx += u->x;
      cy += u->y;
    }
    cx /= degree;
    cy /= degree;
    const double ux = v->x - cx, uy = v->y - cy;
    tOffset offset;
    if (ux != 0.0 || uy != 0.0) {
      const double alpha = xy_angle(ux, uy);
      offset.dx = static_cast<float>(std::cos(alpha * DEG2RAD) * d);
      offset.dy = static_cast<float>(std::sin(alpha * DEG2RAD) * d);
    }
    for (int t = v->taxa.first_element(0); t != 0 && t <= ntax; t = v->taxa.next_element(0, t)) {
      tOffset& entry = taxlabeloffset[t];
      if (entry.dx == 0.0f && entry.dy == 0.0f)
        entry = offset;
    }
  }
}

// A split with an empty side is never drawn and has no edge: it keeps the
// angle it has and length 0.
void tSplitsGraphBlk::measure_splits(bool angles)
{
  split_lengths.assign(nsplits + 1, 0.0);
  if (angles)
    split_angles.assign(nsplits + 1, 0);
  if (nsplits == 0)
    return;
  if (graph.color_without_edge(nsplits) == 0) {
    if (angles)
      graph.compute_edge_angles(nsplits, split_angles);
    graph.compute_edge_lengths(nsplits, split_lengths);
    return;
  }
  const tVertex* v1 = graph.vertex_of_taxon(1);
  graph.set_num2vert(); // numbers 1..n: the keys of A
  for (int p = 1; p <= nsplits; p++) {
    const tEdge* e = graph.first_edge_of_color(p);
    if (!e)
      continue;
    split_lengths[p] = vw_distance(e->v, e->w);
    if (angles && v1) {
      tSet A(graph.num_vertices());
      graph.find_split_part_recursively(e->v, p, A);
      const double a = A.is_element(v1->num) ? vw_angle(e->v, e->w) : vw_angle(e->w, e->v);
      split_angles[p] = static_cast<int>(a * 10);
    }
  }
}

// ---------------------------------------------------------------- changes

// The split system describes the bands when it has split p over the block's
// taxa; otherwise (a graph read without its splits) the graph itself does:
// the far side is what split p cuts off from the vertex of taxon 1.
tSet tSplitsGraphBlk::far_side(int p, const tSplitsSystem* splits)
{
  tSet S(ntax);
  if (splits && splits->get_ntax() == ntax && p >= 1 && p <= splits->get_n()) {
    S.copy(0, splits->get_split(p));
    if (S.is_element(1))
      S.make_complement();
    return S;
  }
  const std::vector<tVertex*> num2vert = graph.set_num2vert();
  tSet near(graph.num_vertices());
  if (const tVertex* v1 = graph.vertex_of_taxon(1))
    graph.find_split_part_recursively(v1, p, near);
  for (int n = 1; n < static_cast<int>(num2vert.size()); n++)
    if (!near.is_element(n))
      S.union_with(0, &num2vert[n]->taxa);
  return S;
}

void tSplitsGraphBlk::change_edge_mode(const tSplitsSystem* splits)
{
  message("changing mode from %s to %s (nsplits=%d)\n", to_scale ? "to_scale" : "equal_edges",
          to_scale ? "equal_edges" : "to_scale", nsplits);
  const std::vector<tVertex*> num2vert = graph.set_num2vert();
  for (int p = 1; p <= nsplits; p++) {
    const double L = get_split_length(p);
    const double change = to_scale ? 1.0 - L : L - 1.0;
    const tSet S = far_side(p, splits);
    tSet A(graph.num_vertices());
    graph.find_split_part(p, S, A);
    graph.move_set(A, num2vert, get_split_angle(p), change);
  }
  to_scale = 1 - to_scale;
  compute_bbox();
}

void tSplitsGraphBlk::change_split_angle(const tSet& S, int p, double wgt, int new_angle)
{
  const double dist = to_scale ? wgt : 1.0;
  const std::vector<tVertex*> num2vert = graph.set_num2vert();
  tSet S1(ntax);
  S1.copy(0, &S);
  if (S1.is_element(1))
    S1.make_complement();
  tSet A1(graph.num_vertices());
  graph.find_split_part(p, S1, A1);
  tSet A2(graph.num_vertices());
  A2.copy(1, &A1);

  const int old_angle = get_split_angle(p);
  graph.move_set(A1, num2vert, old_angle, -dist * 0.5);
  graph.move_set(A2, num2vert, old_angle, dist * 0.5);
  if (p >= 1 && p < static_cast<int>(split_angles.size()))
    split_angles[p] = new_angle;
  graph.move_set(A1, num2vert, new_angle, dist * 0.5);
  graph.move_set(A2, num2vert, new_angle, -dist * 0.5);
}
