#include "graph/compute_graph_n.h"

#include "core/message.h"
#include "core/random.h"
#include "splits/splits_sys.h"

namespace {

// The side of split p that holds taxon 1.
tSet side_of_taxon1(const tSplitsSystem* splits, int p)
{
  const tSet* stored = splits->get_split(p);
  tSet T;
  T.copy(stored->is_element(1) ? 0 : 1, stored);
  return T;
}

void angles_with_cycle(const tSplitsSystem* splits, const std::vector<int>& cycle, std::vector<int>& split_angles,
                       std::vector<char>& split_non_planar)
{
  ref_srand(1); // the jitter is the same on every call
  const int ntax = splits->get_ntax();
  const int nsplits = splits->get_n();
  split_angles.assign(static_cast<size_t>(nsplits) + 1, 0);
  split_non_planar.clear();
  const double unit = ntax ? 3600.0 / ntax : 0.0;
  auto at = [&](int i) { return cycle[static_cast<size_t>(i)]; };

  for (int p = 1; p <= nsplits; p++) {
    const tSet T = side_of_taxon1(splits, p);
    const int size = T.size();
    // A split with an empty side has no place on the circle; it is never
    // drawn, so any direction will do.
    if (size == ntax)
      continue;
    int i = 0;
    for (int k = 1; k <= ntax && !i; k++)
      if (T.is_element(at(k)) && !T.is_element(at(k == 1 ? ntax : k - 1)))
        i = k;
    if (!i)
      error("compute_cycle: Can't find i");
    int j = 0;
    for (int k = 1; k <= ntax && !j; k++)
      if (T.is_element(at(k)) && !T.is_element(at(k == ntax ? 1 : k + 1)))
        j = k;
    if (!j)
      error("compute_cycle: Can't find j");

    const bool circular = (i <= j && j - i + 1 == size) || (i > j && j + ntax - i + 1 == size);
    double theta;
    if (circular) {
      theta = (i + j) * unit * 0.5;
      if (j < i)
        theta += 1800;
    } else {
      // Point the split at the middle of its longest run on the circle.
      bool side = T.is_element(at(1));
      int start = 1, k = 1, run = 0, best = 0, best_start = 1, best_end = 1;
      bool best_side = side;
      while (start <= ntax) {
        const int t = at(k > ntax ? k - ntax : k);
        if (T.is_element(t) == side) {
          k++;
          run++;
        } else {
          if (run > best) {
            best = run;
            best_start = start;
            best_end = k;
            best_side = side;
          }
          start = k;
          run = 0;
          side = !side;
        }
      }
      if (best_end > ntax)
        best_end = ntax;
      theta = (best_start + best_end) * unit * 0.5;
      if (!best_side)
        theta += 1800;
      const int r = ref_rand();
      const int m = static_cast<int>(r * 150 * (1.0 / 32767) + 1);
      theta = theta + 150 - m;
    }
    split_angles[static_cast<size_t>(p)] = static_cast<int>(theta) % 3600;
    if (!circular) {
      if (split_non_planar.empty())
        split_non_planar.assign(static_cast<size_t>(nsplits) + 1, 0);
      split_non_planar[static_cast<size_t>(p)] = 1;
    }
  }
}

// One split as the construction sees it.
struct tSplitInfo {
  tSet S;         // normalized side: the smaller one (the stored one at a tie)
  int size_class; // min(|side|, ntax - |side|)
};

class tBuilder {
public:
  tBuilder(tSplitsGraph* graph, const tSplitsSystem* splits, const std::vector<int>& cycle, int reduce,
           const tGraphBuildResult& geometry, int to_scale)
    : g(*graph), cycle(cycle), reduce(reduce), geo(geometry), to_scale(to_scale), ntax(splits->get_ntax())
  {
    info.resize(static_cast<size_t>(splits->get_n()) + 1);
    for (int p = 1; p <= splits->get_n(); p++) {
      const tSet* stored = splits->get_split(p);
      tSplitInfo& s = info[static_cast<size_t>(p)];
      s.S.copy(stored->size() <= ntax / 2 ? 0 : 1, stored);
      s.size_class = stored->split_size();
    }
  }

  const tSplitInfo& split(int p) const { return info[static_cast<size_t>(p)]; }
  bool non_planar(int p) const
  {
    return !geo.split_non_planar.empty() && geo.split_non_planar[static_cast<size_t>(p)];
  }
  double angle(int p) const { return geo.split_angles[static_cast<size_t>(p)]; }
  double distance(int p) const { return to_scale ? geo.split_lengths[static_cast<size_t>(p)] : 1.0; }

  // Every taxon starts on the one start vertex.
  void start(tVertex* v) { where.assign(static_cast<size_t>(ntax) + 1, v); }

  void insert_planar(int p)
  {
    const tSet& S = split(p).S;
    const std::vector<tVertex*> num2vert = g.set_num2vert();
    const int n = g.num_vertices();
    const std::vector<char> labelled = labelled_table(n);
    std::vector<tVertex*> path_vertices(static_cast<size_t>(n) + 1, nullptr);
    std::vector<tEdge*> path_edges(static_cast<size_t>(g.num_edges()) + 1, nullptr);
    int path_length = 0;
    tSet path_set(n), vA(n), vB(n);
    tVertex* v = nullptr;
    tVertex* w = nullptr;
    g.determine_seperating_vertices(S, cycle, ntax, v, w);
    g.determine_seperating_path(v, w, path_set, path_vertices, path_edges, path_length);
    g.divide_vertices(S, vA, vB, path_set, num2vert, &labelled);
    if (reduce)
      g.reduce_loops(S, vA, vB, path_set, path_vertices, path_edges, path_length, &labelled);
    g.expand_split(p, S, vA, vB, path_set, num2vert, angle(p), distance(p));
    follow_taxa(n);
  }

  void insert_non_planar(int p)
  {
    const tSet& S = split(p).S;
    const std::vector<tVertex*> num2vert = g.set_num2vert();
    tSet A, convA, B, convB, D, X, Y;
    const int n = g.num_vertices();
    g.determine_sets(A, convA, B, convB, D, num2vert, S, &labelled_table(n));
    X.copy(0, &convA);
    X.intersect_with(1, &D);
    Y.copy(0, &convB);
    Y.intersect_with(1, &D);
    g.expand_split(p, S, X, Y, D, num2vert, angle(p), distance(p));
    follow_taxa(n);
  }

  void insert_trivial(int p)
  {
    const tSet& S = split(p).S;
    const std::vector<tVertex*> num2vert = g.set_num2vert();
    tSet convA, vA, vB, D;
    g.determine_sets_trivial_split(convA, vA, vB, D, num2vert, S);
    g.expand_split(p, S, vA, vB, convA, num2vert, angle(p), distance(p));
  }

private:
  // Which vertex carries each taxon, kept up to date through the insertions
  // so that a step need not read the taxa of every unlabelled vertex.
  std::vector<tVertex*> where;
  std::vector<char> table;

  // Flags by number (1..n, right after set_num2vert) the vertices that carry taxa.
  const std::vector<char>& labelled_table(int n)
  {
    table.assign(static_cast<size_t>(n) + 1, 0);
    for (int t = 1; t <= ntax; t++)
      table[static_cast<size_t>(where[static_cast<size_t>(t)]->num)] = 1;
    return table;
  }

  // After an insertion the new vertices, numbered above n, sit at the tail of
  // the list; the taxa they took over now live there.
  void follow_taxa(int n)
  {
    for (tVertex* v = g.last_vertex_of_list(); v && v->num > n; v = v->prev)
      for (int t = v->taxa.first_element(0); t; t = v->taxa.next_element(0, t))
        where[static_cast<size_t>(t)] = v;
  }

  tSplitsGraph& g;
  const std::vector<int>& cycle;
  const int reduce;
  const tGraphBuildResult& geo;
  const int to_scale;
  const int ntax;
  std::vector<tSplitInfo> info;
};

} // namespace

std::vector<int> usable_cycle(const tSplitsSystem* splits)
{
  const int ntax = splits->get_ntax();
  std::vector<int> cycle(static_cast<size_t>(ntax) + 1, 0);
  bool ok = splits->cycle.size() == static_cast<size_t>(ntax) + 1;
  std::vector<char> seen(static_cast<size_t>(ntax) + 1, 0);
  for (int i = 1; ok && i <= ntax; i++) {
    const int t = splits->cycle[static_cast<size_t>(i)];
    if (t < 1 || t > ntax || seen[static_cast<size_t>(t)])
      ok = false;
    else
      seen[static_cast<size_t>(t)] = 1;
  }
  for (int i = 1; i <= ntax; i++)
    cycle[static_cast<size_t>(i)] = ok ? splits->cycle[static_cast<size_t>(i)] : i;
  return cycle;
}

void compute_splits_angles(const tSplitsSystem* splits, std::vector<int>& split_angles,
                           std::vector<char>& split_non_planar)
{
  angles_with_cycle(splits, usable_cycle(splits), split_angles, split_non_planar);
}

void compute_splits_lengths(const tSplitsSystem* splits, int nsplits, std::vector<double>& split_lengths)
{
  split_lengths.assign(static_cast<size_t>(nsplits) + 1, 0.0);
  for (int p = 1; p <= nsplits; p++)
    split_lengths[static_cast<size_t>(p)] = splits ? splits->get_weight(p) : 1.0;
}

void tSplitsGraph::expand_split(int p, const tSet& S, const tSet& vA, const tSet& vB, const tSet& separating_set,
                                const std::vector<tVertex*>& num2vert, double angle, double distance)
{
  // Sized by the table, not by the current count: vertices removed since the
  // numbering keep their numbers out of every set, but the numbers stay high.
  std::vector<tVertex*> num2new(num2vert.size(), nullptr);
  auto vert = [&](int i) { return num2vert[static_cast<size_t>(i)]; };

  for (int i = separating_set.first_element(0); i; i = separating_set.next_element(0, i)) {
    tVertex* v = vert(i);
    tVertex* c = new_vertex();
    num2new[static_cast<size_t>(i)] = c;
    c->splits.copy(0, &v->splits);
    c->splits.insert(p);
    c->taxa.copy(0, &v->taxa);
    c->taxa.intersect_with(1, &S);
    v->taxa.intersect_with(0, &S);
    c->x = v->x;
    c->y = v->y;
  }

  std::vector<tEdge*> moved;
  for (int i = separating_set.first_element(0); i; i = separating_set.next_element(0, i)) {
    tVertex* v = vert(i);
    for (int k = 1; k <= v->list.num(); k++) {
      tEdge* e = v->list.get(k);
      tVertex* u = e->other(v);
      if (separating_set.is_element(u->num)) {
        if (u->num > v->num)
          new_edge(num2new[static_cast<size_t>(v->num)], num2new[static_cast<size_t>(u->num)])->color = e->color;
      } else if (vB.is_element(u->num)) {
        new_edge(num2new[static_cast<size_t>(i)], u)->color = e->color;
        moved.push_back(e);
      }
    }
  }
  for (tEdge* e : moved)
    del_edge(e);

  for (int i = separating_set.first_element(0); i; i = separating_set.next_element(0, i))
    new_edge(vert(i), num2new[static_cast<size_t>(i)])->color = p;

  for (int i = vB.first_element(0); i; i = vB.next_element(0, i))
    vert(i)->splits.insert(p);

  tSet M;
  M.make_union(0, &vA, 0, &separating_set);
  int direction = static_cast<int>(angle);
  if (S.is_element(1))
    direction += 1800;
  move_set(M, num2vert, direction, distance);
}

int compute_graph(tSplitsGraph* graph, const tSplitsSystem* splits, int reduce, int to_scale,
                  tGraphBuildResult* out)
{
  *out = tGraphBuildResult();
  const int ntax = splits ? splits->get_ntax() : 0;
  const int nsplits = splits ? splits->get_n() : 0;
  out->ntax = ntax;
  out->nsplits = nsplits;
  graph->clear();
  out->tax2vertex.assign(static_cast<size_t>(ntax) + 1, nullptr);
  out->translate.assign(static_cast<size_t>(ntax) + 1, 0);
  if (ntax == 0 || nsplits == 0) {
    // Nothing to draw, but the per-split tables keep their size so that
    // whoever holds them can index every split.
    out->split_angles.assign(static_cast<size_t>(nsplits) + 1, 0);
    compute_splits_lengths(splits, nsplits, out->split_lengths);
    out->vertices.assign(1, nullptr);
    return 1;
  }

  const std::vector<int> cycle = usable_cycle(splits);
  angles_with_cycle(splits, cycle, out->split_angles, out->split_non_planar);
  compute_splits_lengths(splits, nsplits, out->split_lengths);
  tBuilder build(graph, splits, cycle, reduce, *out, to_scale);

  tVertex* start = graph->new_vertex();
  start->taxa.make_fullset(ntax);
  start->splits = tSet(nsplits);
  build.start(start);

  bool planar_nontrivial = false;
  for (int h = ntax / 2; h >= 2; h--)
    for (int p = 1; p <= nsplits; p++) {
      if (build.non_planar(p) || build.split(p).size_class <= 1)
        continue;
      planar_nontrivial = true;
      if (build.split(p).size_class == h)
        build.insert_planar(p);
    }
  for (int h = ntax / 2; h >= 2; h--)
    for (int p = 1; p <= nsplits; p++)
      if (build.non_planar(p) && build.split(p).size_class > 1 && build.split(p).size_class == h) {
        if (graph->num_vertices() > MAX_GRAPH_VERTICES) {
          graph->clear();
          out->too_large = 1;
          out->split_angles.assign(static_cast<size_t>(nsplits) + 1, 0);
          out->split_non_planar.clear();
          out->tax2vertex.assign(static_cast<size_t>(ntax) + 1, nullptr);
          out->vertices.assign(1, nullptr);
          return 0;
        }
        build.insert_non_planar(p);
      }
  if (reduce && planar_nontrivial)
    graph->delete_superflouous_vertices();
  for (int p = 1; p <= nsplits; p++)
    if (build.split(p).size_class == 1)
      build.insert_trivial(p);

  out->nvertices = graph->num_vertices();
  out->nedges = graph->num_edges();
  out->vertices.assign(static_cast<size_t>(out->nvertices) + 1, nullptr);
  graph->compute_numbering_etc(out->tax2vertex, out->vertices, out->translate);
  out->valid = 1;
  return 1;
}
