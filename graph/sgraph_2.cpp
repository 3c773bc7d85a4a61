// The search steps of the graph construction: separating vertices and path,
// the two sides of a planar split, the hulls of a non-planar one, and the
// tidying of loops and box corners.
#include <algorithm>
#include <vector>

#include "core/message.h"
#include "graph/sgraph.h"

namespace {

// Warnings that report a construction the algorithm did not foresee; shown
// once per run so that one odd system does not flood the user with dialogs.
thread_local bool warned_divide_vertices = false;
thread_local bool warned_reduce_loops = false;

bool meets(const tSet& taxa, const tSet& S) { return taxa.intersection_size(0, &S) > 0; }
bool has_taxon_outside(const tSet& taxa, const tSet& S) { return taxa.intersection_size(1, &S) > 0; }

// Whether v may carry taxa: always, unless the caller's table says it does not.
bool may_carry(const tVertex* v, const std::vector<char>* labelled)
{
  return !labelled || (v->num >= 0 && static_cast<size_t>(v->num) < labelled->size() &&
                       (*labelled)[static_cast<size_t>(v->num)]);
}

// Grows the connected vertex set C to its convex hull. The union of the
// shortest paths between the members of a set is not always convex (a path
// between two new members may leave it), and a hull that is too small joins
// the two sides of a split by an edge that does not cross its band. In a
// graph whose colours are the splits, a connected set is convex exactly when
// no edge leaving it has the colour of an edge inside it; the far end of such
// an edge lies on a shortest path between two members, so it belongs to the
// hull.
void close_convex(tSet& C, const std::vector<tVertex*>& num2vert)
{
  int top_color = 0;
  for (int i = C.first_element(0); i; i = C.next_element(0, i)) {
    const tVertex* v = num2vert[static_cast<size_t>(i)];
    for (int k = 1; k <= v->list.num(); k++)
      top_color = std::max(top_color, v->list.get(k)->color);
  }
  tSet inside(top_color);
  for (bool grown = true; grown;) {
    grown = false;
    for (int i = C.first_element(0); i; i = C.next_element(0, i)) {
      const tVertex* v = num2vert[static_cast<size_t>(i)];
      for (int k = 1; k <= v->list.num(); k++) {
        const tEdge* e = v->list.get(k);
        if (C.is_element(e->other(v)->num) && e->color >= 1)
          inside.insert(e->color);
      }
    }
    for (int i = C.first_element(0); i; i = C.next_element(0, i)) {
      const tVertex* v = num2vert[static_cast<size_t>(i)];
      for (int k = 1; k <= v->list.num(); k++) {
        const tEdge* e = v->list.get(k);
        const tVertex* u = e->other(v);
        if (!C.is_element(u->num) && inside.is_element(e->color)) {
          C.insert(u->num);
          grown = true;
        }
      }
    }
  }
}

} // namespace

void tSplitsGraph::determine_seperating_vertices(const tSet& S, const std::vector<int>& cycle, int ntax, tVertex*& v,
                                                 tVertex*& w) const
{
  auto at = [&](int i) { return cycle[static_cast<size_t>(i)]; };
  int a = 0;
  for (int i = 1; i <= ntax && !a; i++)
    if (S.is_element(at(i)) && !S.is_element(at(i == 1 ? ntax : i - 1)))
      a = at(i);
  if (!a)
    error("determine_seperating_vertices(): Can't find a");
  int b = 0;
  for (int j = 1; j <= ntax && !b; j++)
    if (S.is_element(at(j)) && !S.is_element(at(j == ntax ? 1 : j + 1)))
      b = at(j);
  if (!b)
    error("determine_seperating_vertices(): Can't find b");
  v = vertex_of_taxon(a);
  if (!v)
    error("determine_seperating_vertices(): Can't find v");
  w = vertex_of_taxon(b);
  if (!w)
    error("determine_seperating_vertices(): Can't find w");
}

void tSplitsGraph::determine_seperating_path(tVertex* v, tVertex* w, tSet& path_set,
                                             std::vector<tVertex*>& path_vertices, std::vector<tEdge*>& path_edges,
                                             int& path_length) const
{
  tSet diff;
  diff.make_xor_N(&v->splits, &w->splits);
  auto put = [](auto& table, int k, auto item) {
    if (table.size() <= static_cast<size_t>(k))
      table.resize(static_cast<size_t>(k) + 1, nullptr);
    table[static_cast<size_t>(k)] = item;
  };
  path_set.insert(v->num);
  path_length = 1;
  put(path_vertices, 1, v);
  tVertex* u = v;
  while (u != w) {
    tEdge* step = nullptr;
    for (int i = 1; i <= u->list.num() && !step; i++)
      if (diff.is_element(u->list.get(i)->color))
        step = u->list.get(i);
    if (!step)
      error("determine_seperating_path(): Can't find extension of path");
    diff.remove(step->color);
    u = step->other(u);
    path_set.insert(u->num);
    put(path_edges, path_length, step);
    path_length++;
    put(path_vertices, path_length, u);
  }
  if (diff.size() != 0)
    error("determine_seperating_path(): non-zero diff after path");
}

void tSplitsGraph::divide_vertices(const tSet& S, tSet& vA, tSet& vB, const tSet& path_set,
                                   const std::vector<tVertex*>& num2vert, const std::vector<char>* labelled)
{
  for (const tVertex* v = vertices; v; v = v->next) {
    if (path_set.is_element(v->num) || !may_carry(v, labelled))
      continue;
    if (!vA.is_element(v->num) && meets(v->taxa, S))
      recursively_divide_vertices(v, vA, path_set);
    else if (!vB.is_element(v->num) && has_taxon_outside(v->taxa, S))
      recursively_divide_vertices(v, vB, path_set);
  }
  const int np = path_set.size(), na = vA.size(), nb = vB.size();
  if (np + na + nb == num_vertices())
    return;
  if (!warned_divide_vertices) {
    warned_divide_vertices = true;
    warning("divide_vertices(): #path_set=%d + #vA=%d + #vB=%d =%d !=num_vertices=%d %s", np, na, nb, np + na + nb,
            num_vertices(), "Please notify author");
  }
  for (int i = 1; i < static_cast<int>(num2vert.size()); i++)
    if (!path_set.is_element(i) && !vA.is_element(i) && !vB.is_element(i))
      del_vertex(num2vert[static_cast<size_t>(i)]);
}

void tSplitsGraph::recursively_divide_vertices(const tVertex* v, tSet& A, const tSet& path_set) const
{
  // Depth-first in adjacency order, with an explicit stack: a long chain of
  // boxes would otherwise be a deep recursion.
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
    const tVertex* u = f.v->list.get(f.next_edge++)->other(f.v);
    if (A.is_element(u->num) || path_set.is_element(u->num))
      continue;
    A.insert(u->num);
    stack.push_back({u, 1});
  }
}

int tSplitsGraph::has_neighbor_in_set(const tVertex* v, const tSet& A)
{
  for (int i = 1; i <= v->list.num(); i++)
    if (A.is_element(v->list.get(i)->other(v)->num))
      return 1;
  return 0;
}

void tSplitsGraph::reduce_loops(const tSet& S, tSet& vA, tSet& vB, tSet& path_set,
                                const std::vector<tVertex*>& path_vertices, const std::vector<tEdge*>& path_edges,
                                int path_length, const std::vector<char>* labelled) const
{
  auto pv = [&](int k) { return path_vertices[static_cast<size_t>(k)]; };
  for (int a = 1; a < path_length - 1; a++) {
    if (!path_set.is_element(pv(a)->num))
      continue;
    int inA = 0, inB = 0;
    int found_b = 0;
    for (int b = a + 2; b <= path_length && !found_b; b++) {
      inA = inB = 0;
      for (int x = a + 1; x < b; x++) {
        const tVertex* u = pv(x);
        const bool carries = may_carry(u, labelled);
        if ((carries && meets(u->taxa, S)) || has_neighbor_in_set(u, vA))
          inA = 1;
        if ((carries && has_taxon_outside(u->taxa, S)) || has_neighbor_in_set(u, vB))
          inB = 1;
      }
      // Walk round the other side of the loop: the same colours in reverse.
      const tVertex* y = pv(a);
      bool ok = true;
      for (int k = b - 1; k >= a && ok; k--) {
        const tEdge* e = y->edge_of_color(path_edges[static_cast<size_t>(k)]->color);
        if (!e) {
          ok = false;
          break;
        }
        y = e->other(y);
        if (path_set.is_element(y->num) && y != pv(b))
          ok = false;
      }
      if (ok)
        found_b = b;
    }
    if (!found_b)
      continue;
    if (inA == inB) {
      if (!warned_reduce_loops) {
        warned_reduce_loops = true;
        warning("reduce_loops(): inA==inB =%d, %s", inA, "Please notify author");
      }
      continue;
    }
    for (int x = a + 1; x < found_b; x++) {
      path_set.remove(pv(x)->num);
      if (inA == 1)
        vA.insert(pv(x)->num);
      else
        vB.insert(pv(x)->num);
    }
  }
}

void tSplitsGraph::determine_sets(tSet& A, tSet& convA, tSet& B, tSet& convB, tSet& D,
                                  const std::vector<tVertex*>& num2vert, const tSet& S,
                                  const std::vector<char>* labelled) const
{
  const int n = num_vertices();
  A = tSet(n);
  convA = tSet(n);
  B = tSet(n);
  convB = tSet(n);
  for (int k = 1; k <= n; k++) {
    const tVertex* v = num2vert[static_cast<size_t>(k)];
    if (!may_carry(v, labelled))
      continue;
    if (meets(v->taxa, S))
      A.insert(k);
    if (has_taxon_outside(v->taxa, S))
      B.insert(k);
  }
  // The union of the shortest paths between members of X, closed to its
  // hull. Every edge of colour c crosses split c, so a vertex lies on such a
  // path exactly when it sides with X on each split that X does not cross:
  // one search from X through those vertices, instead of a walk per pair.
  auto hull = [&](const tSet& X, tSet& conv) {
    conv.copy(0, &X);
    const int x0 = X.first_element(0);
    if (!x0)
      return;
    tSet all_in, any_in;
    all_in.copy(0, &num2vert[static_cast<size_t>(x0)]->splits);
    any_in.copy(0, &all_in);
    std::vector<const tVertex*> queue;
    for (int x = x0; x; x = X.next_element(0, x)) {
      const tVertex* v = num2vert[static_cast<size_t>(x)];
      all_in.intersect_with(0, &v->splits);
      any_in.union_with(0, &v->splits);
      queue.push_back(v);
    }
    for (size_t q = 0; q < queue.size(); q++) {
      const tVertex* v = queue[q];
      for (int k = 1; k <= v->list.num(); k++) {
        const tVertex* u = v->list.get(k)->other(v);
        if (conv.is_element(u->num) || u->splits.intersection_size(1, &any_in) != 0 ||
            all_in.intersection_size(1, &u->splits) != 0)
          continue;
        conv.insert(u->num);
        queue.push_back(u);
      }
    }
  };
  hull(A, convA);
  close_convex(convA, num2vert);
  hull(B, convB);
  close_convex(convB, num2vert);
  D.make_intersection(0, &convA, 0, &convB);
}

void tSplitsGraph::compute_conv(const tVertex* v, const tVertex* target, tSet& s_usable, tSet& visited) const
{
  // Depth is bounded by the number of splits that separate the two ends.
  visited.insert(v->num);
  bool found = false;
  for (int i = 1; i <= v->list.num(); i++) {
    const tEdge* e = v->list.get(i);
    const int c = e->color;
    if (!s_usable.is_element(c))
      continue;
    found = true;
    const tVertex* u = e->other(v);
    if (visited.is_element(u->num))
      continue;
    s_usable.remove(c);
    compute_conv(u, target, s_usable, visited);
    s_usable.insert(c);
  }
  if (!found && v->num != target->num)
    error("tSplitsGraph::compute_conv(): !found && v->number!=v2->number: %d %d", v->num, target->num);
}

void tSplitsGraph::determine_sets_trivial_split(tSet& convA, tSet& vA, tSet& vB, tSet& D,
                                                const std::vector<tVertex*>& num2vert, const tSet& S) const
{
  (void)D;
  (void)num2vert;
  if (S.size() != 1)
    error("determine_sets_trivial_split(): S.size()=%d !=1", S.size());
  const int n = num_vertices();
  vA = tSet(n);
  convA = tSet(n);
  const int t = S.first_element(0);
  const tVertex* v = vertex_of_taxon(t);
  if (!v)
    error("determine_sets_trivial_split(): Can't find vertex labelled %d", t);
  convA.insert(v->num);
  vB.copy(1, &convA);
}

void tSplitsGraph::delete_superflouous_vertices()
{
  for (;;) {
    const std::vector<tVertex*> num2vert = set_num2vert();
    tSet to_delete(num_vertices());
    for (const tVertex* v = vertices; v; v = v->next) {
      if (v->list.num() != 3 || v->taxa.size() != 0)
        continue;
      const tVertex* w[3];
      int c[3];
      for (int k = 0; k < 3; k++) {
        const tEdge* e = v->list.get(k + 1);
        w[k] = e->other(v);
        c[k] = e->color;
      }
      auto qualifies = [&]() {
        for (int k = 0; k < 3; k++)
          if (to_delete.is_element(w[k]->num))
            return false;
        const tVertex* r[3];
        for (int k = 0; k < 3; k++) {
          const tEdge* e = w[k]->edge_of_color(c[(k + 2) % 3]);
          if (!e)
            return false;
          r[k] = e->other(w[k]);
          if (to_delete.is_element(r[k]->num))
            return false;
        }
        for (int k = 0; k < 3; k++) {
          const tEdge* e = w[k]->edge_of_color(c[(k + 1) % 3]);
          if (!e)
            return false;
          const tVertex* q = e->other(w[k]);
          if (q != r[(k + 1) % 3] || to_delete.is_element(q->num))
            return false;
        }
        return true;
      };
      if (qualifies())
        to_delete.insert(v->num);
    }
    if (to_delete.size() == 0)
      return;
    for (int i = to_delete.first_element(0); i; i = to_delete.next_element(0, i))
      del_vertex(num2vert[static_cast<size_t>(i)]);
  }
}
