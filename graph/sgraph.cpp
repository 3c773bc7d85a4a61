#include "graph/sgraph.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/message.h"

tVertex* tEdge::other(const tVertex* u) const { return u->num == v->num ? w : v; }

void tEdgeList::clear()
{
  _list.clear();
  _list.shrink_to_fit();
}

void tEdgeList::append(tEdge* e) { _list.push_back(e); }

void tEdgeList::remove(const tEdge* e)
{
  for (size_t i = 0; i < _list.size(); i++) {
    if (_list[i]->num == e->num) {
      _list.erase(_list.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

tEdge* tVertex::edge_of_color(int c) const
{
  for (int i = 1; i <= list.num(); i++) {
    tEdge* e = list.get(i);
    if (e->color == c)
      return e;
  }
  return nullptr;
}

tSplitsGraph::~tSplitsGraph() { clear(); }

void tSplitsGraph::clear()
{
  while (vertices)
    kill_vertex(vertices);
  while (edges)
    kill_edge(edges);
  num_created_vertices = 0;
  num_created_edges = 0;
}

tVertex* tSplitsGraph::new_vertex()
{
  tcltk_update(); // long constructions keep the interface alive
  tVertex* v = new tVertex;
  v->num = ++num_created_vertices;
  num_existing_vertices++;
  v->prev = last_vertex;
  if (last_vertex)
    last_vertex->next = v;
  else
    vertices = v;
  last_vertex = v;
  return v;
}

tEdge* tSplitsGraph::new_edge(tVertex* v, tVertex* w)
{
  tcltk_update();
  tEdge* e = new tEdge;
  e->v = v;
  e->w = w;
  e->num = ++num_created_edges;
  num_existing_edges++;
  join_vertices(v, w, e);
  e->next = edges;
  if (edges)
    edges->prev = e;
  edges = e;
  return e;
}

void tSplitsGraph::join_vertices(tVertex* v, tVertex* w, tEdge* e)
{
  v->list.append(e);
  w->list.append(e);
}

void tSplitsGraph::del_edge(tEdge* e)
{
  e->v->list.remove(e);
  e->w->list.remove(e);
  kill_edge(e);
}

void tSplitsGraph::del_vertex(tVertex* v)
{
  while (tEdge* e = v->list.get(1))
    del_edge(e);
  kill_vertex(v);
}

void tSplitsGraph::kill_vertex(tVertex* v)
{
  if (v->prev)
    v->prev->next = v->next;
  else
    vertices = v->next;
  if (v->next)
    v->next->prev = v->prev;
  else
    last_vertex = v->prev;
  num_existing_vertices--;
  delete v;
}

void tSplitsGraph::kill_edge(tEdge* e)
{
  if (e->prev)
    e->prev->next = e->next;
  else
    edges = e->next;
  if (e->next)
    e->next->prev = e->prev;
  num_existing_edges--;
  delete e;
}

void tSplitsGraph::compute_bbox(double& minx, double& miny, double& maxx, double& maxy)
{
  if (!vertices) {
    minx = miny = maxx = maxy = 0.0;
    return;
  }
  const double inf = std::numeric_limits<double>::infinity();
  minx = miny = inf;
  maxx = maxy = -inf;
  for (const tVertex* v = vertices; v; v = v->next) {
    if (v->x < minx)
      minx = v->x;
    if (v->x > maxx)
      maxx = v->x;
    if (v->y < miny)
      miny = v->y;
    if (v->y > maxy)
      maxy = v->y;
  }
  const double x_offset = (maxx + minx) * 0.5;
  const double y_offset = (maxy + miny) * 0.5;
  minx -= x_offset;
  maxx -= x_offset;
  miny -= y_offset;
  maxy -= y_offset;
  for (tVertex* v = vertices; v; v = v->next) {
    v->x -= x_offset;
    v->y -= y_offset;
  }
}

tVertex* tSplitsGraph::find_vertex(int num) const
{
  for (tVertex* v = vertices; v; v = v->next)
    if (v->num == num)
      return v;
  return nullptr;
}

tEdge* tSplitsGraph::find_edge(int num) const
{
  for (tEdge* e = edges; e; e = e->next)
    if (e->num == num)
      return e;
  return nullptr;
}

tVertex* tSplitsGraph::vertex_of_taxon(int t) const
{
  for (tVertex* v = vertices; v; v = v->next)
    if (v->taxa.is_element(t))
      return v;
  return nullptr;
}

tEdge* tSplitsGraph::first_edge_of_color(int c) const
{
  for (tEdge* e = edges; e; e = e->next)
    if (e->color == c)
      return e;
  return nullptr;
}

int tSplitsGraph::color_without_edge(int nsplits) const
{
  if (nsplits < 1)
    return 0;
  std::vector<char> seen(static_cast<size_t>(nsplits) + 1, 0);
  for (const tEdge* e = edges; e; e = e->next)
    if (e->color >= 1 && e->color <= nsplits)
      seen[static_cast<size_t>(e->color)] = 1;
  for (int p = 1; p <= nsplits; p++)
    if (!seen[static_cast<size_t>(p)])
      return p;
  return 0;
}

tVertex* tSplitsGraph::isolated_labelled_vertex() const
{
  for (tVertex* v = vertices; v; v = v->next)
    if (v->list.num() == 0 && v->taxa.size() > 0)
      return v;
  return nullptr;
}

std::vector<tVertex*> tSplitsGraph::set_num2vert()
{
  std::vector<tVertex*> num2vert(static_cast<size_t>(num_vertices()) + 1, nullptr);
  int count = 0;
  for (tVertex* v = vertices; v; v = v->next) {
    count++;
    if (count > num_vertices())
      error("tSplitsGraph::set_num2vert(): numVertices=%d < count", num_vertices());
    v->num = count;
    num2vert[static_cast<size_t>(count)] = v;
  }
  if (count < num_vertices())
    error("tSplitsGraph::set_num2vert(): numVertices=%d > count=%d", num_vertices(), count);
  return num2vert;
}

void tSplitsGraph::move_set(const tSet& A, const std::vector<tVertex*>& num2vert, int angle, double dist)
{
  if (std::fabs(dist) < 0.000001)
    return;
  const double r = angle * 0.01745329252 * 0.1;
  const double dx = std::cos(r);
  const double dy = std::sin(r);
  for (int i = A.first_element(0); i; i = A.next_element(0, i)) {
    if (i >= static_cast<int>(num2vert.size()) || !num2vert[static_cast<size_t>(i)])
      continue;
    tVertex* v = num2vert[static_cast<size_t>(i)];
    v->x += dx * dist;
    v->y += dy * dist;
  }
}

void tSplitsGraph::find_split_part(int p, const tSet& S, tSet& A) const
{
  for (const tVertex* v = vertices; v; v = v->next)
    if (v->taxa.intersection_size(0, &S) > 0 && !A.is_element(v->num))
      find_split_part_recursively(v, p, A);
}

void tSplitsGraph::find_split_part_recursively(const tVertex* v, int p, tSet& A) const
{
  // An explicit stack: the picture of a large system can be deeper than the
  // call stack allows. Visiting order matches the plain recursion.
  struct tFrame {
    const tVertex* v;
    int next_edge;
  };
  std::vector<tFrame> stack;
  A.insert(v->num);
  stack.push_back({v, 1});
  while (!stack.empty()) {
    tFrame& f = stack.back();
    if (f.next_edge > f.v->list.num()) {
      stack.pop_back();
      continue;
    }
    const tEdge* e = f.v->list.get(f.next_edge++);
    if (e->color == p)
      continue;
    const tVertex* u = e->other(f.v);
    if (A.is_element(u->num))
      continue;
    A.insert(u->num);
    stack.push_back({u, 1});
  }
}

void tSplitsGraph::compute_edge_angles(int nsplits, std::vector<int>& split_angles) const
{
  const tVertex* first = vertex_of_taxon(1);
  const int n1 = first ? first->num : 0;
  if (n1 == 0)
    error("compute_edge_angles(): n1=0");
  int top = 0;
  for (const tVertex* v = vertices; v; v = v->next)
    if (v->num > top)
      top = v->num;
  split_angles.assign(static_cast<size_t>(nsplits) + 1, 0);
  for (int p = 1; p <= nsplits; p++) {
    const tEdge* e = first_edge_of_color(p);
    if (!e)
      error("compute_edge_angles(): Can't find edge of color: %d", p);
    tSet A(top);
    find_split_part_recursively(e->v, p, A);
    const double a = A.is_element(n1) ? vw_angle(e->v, e->w) : vw_angle(e->w, e->v);
    split_angles[static_cast<size_t>(p)] = static_cast<int>(a * 10);
  }
}

void tSplitsGraph::compute_edge_lengths(int nsplits, std::vector<double>& split_lengths) const
{
  split_lengths.assign(static_cast<size_t>(nsplits) + 1, 0.0);
  for (int p = 1; p <= nsplits; p++) {
    const tEdge* e = first_edge_of_color(p);
    if (!e)
      error("compute_edge_lengths(): Can't find edge of color: %d", p);
    split_lengths[static_cast<size_t>(p)] = vw_distance(e->v, e->w);
  }
}

void tSplitsGraph::compute_numbering_etc(std::vector<tVertex*>& tax2vertex, std::vector<tVertex*>& vertex_table,
                                         std::vector<int>& translate)
{
  if (vertex_table.size() < static_cast<size_t>(num_vertices()) + 1)
    vertex_table.resize(static_cast<size_t>(num_vertices()) + 1, nullptr);
  int count = 0;
  for (tVertex* v = vertices; v; v = v->next) {
    count++;
    v->num = count;
    vertex_table[static_cast<size_t>(count)] = v;
    for (int t = v->taxa.first_element(0); t; t = v->taxa.next_element(0, t)) {
      if (tax2vertex.size() <= static_cast<size_t>(t))
        tax2vertex.resize(static_cast<size_t>(t) + 1, nullptr);
      if (translate.size() <= static_cast<size_t>(t))
        translate.resize(static_cast<size_t>(t) + 1, 0);
      tax2vertex[static_cast<size_t>(t)] = v;
      translate[static_cast<size_t>(t)] = count;
    }
  }
}

namespace {

std::string set_text(const tSet& S)
{
  std::string text;
  char buf[32];
  for (int x = S.first_element(0); x; x = S.next_element(0, x)) {
    std::snprintf(buf, sizeof buf, " %d", x);
    text += buf;
  }
  return text;
}

} // namespace

std::string tSplitsGraph::listing() const
{
  std::string text;
  char buf[128];
  std::snprintf(buf, sizeof buf, "Graph V=%d E=%d (created: %d %d)\n", num_existing_vertices, num_existing_edges,
                num_created_vertices, num_created_edges);
  text += buf;
  text += "Vertices:\n";
  for (const tVertex* v = vertices; v; v = v->next) {
    std::snprintf(buf, sizeof buf, "num=%d taxa=", v->num);
    text += buf;
    text += set_text(v->taxa);
    text += " splits=";
    text += set_text(v->splits);
    std::snprintf(buf, sizeof buf, " x=%g y=%g\n", v->x, v->y);
    text += buf;
    std::snprintf(buf, sizeof buf, "Adjacencies (%d):", v->list.num());
    text += buf;
    for (int i = 1; i <= v->list.num(); i++) {
      std::snprintf(buf, sizeof buf, " %d", v->list.get(i)->num);
      text += buf;
    }
    text += "\n";
  }
  text += "Edges:\n";
  for (const tEdge* e = edges; e; e = e->next) {
    std::snprintf(buf, sizeof buf, "num=%d color=%d v=%d w=%d\n", e->num, e->color, e->v->num, e->w->num);
    text += buf;
  }
  return text;
}

double xy_angle(double dx, double dy)
{
  if (dx > -0.000001 && dx < 0.000001)
    return dy >= 0 ? 90.0 : -90.0;
  double a = std::atan(dy / dx) * 57.295779513;
  if (dx < 0)
    a += 180;
  return a;
}

double vw_angle(const tVertex* v, const tVertex* w) { return xy_angle(w->x - v->x, w->y - v->y); }

double v_angle(const tVertex* v) { return xy_angle(v->x, v->y); }

double vw_distance(const tVertex* v, const tVertex* w)
{
  const double dx = w->x - v->x;
  const double dy = w->y - v->y;
  return std::sqrt(dx * dx + dy * dy);
}
