// The splits graph: an undirected graph whose edges are coloured by split
// number. Every split is a band of parallel edges of its colour; removing
// the band cuts the graph into the split's two sides.
//
// Orders are part of the picture and of every file written from it:
//   - the vertex list is in creation order (new vertices at the tail);
//   - the edge list is newest first (new edges at the head);
//   - a vertex's adjacency list is in the order its edges were attached.
// Searches ("the first vertex that carries taxon t", "the first edge of
// colour p") follow these orders.
//
// Vertex numbers are the keys of vertex sets (tSet over vertex numbers) and
// of the table that set_num2vert returns; they are 1..n in list order right
// after set_num2vert or compute_numbering_etc.
#pragma once

#include <string>
#include <vector>

#include "core/sets.h"

class tVertex;

class tEdge {
public:
  tVertex* v = nullptr;  // one end
  tVertex* w = nullptr;  // the other end
  int color = 0;         // the split this edge belongs to (1-based)
  int num = 0;           // creation serial, unique until the graph is cleared
  tEdge* next = nullptr; // links of the graph's edge list
  tEdge* prev = nullptr;

  // The end that is not u; ends are compared by vertex number.
  tVertex* other(const tVertex* u) const;
};

// The edges at one vertex, in the order they were attached. Points at edges
// owned by the graph.
class tEdgeList {
public:
  void clear();
  int num() const { return static_cast<int>(_list.size()); }
  // Edge i (1-based); null outside 1..num().
  tEdge* get(int i) const { return i >= 1 && i <= num() ? _list[i - 1] : nullptr; }
  void append(tEdge* e);
  // Drops the first entry with e's number, keeping the order of the others;
  // nothing when e is absent.
  void remove(const tEdge* e);

private:
  std::vector<tEdge*> _list;
};

class tVertex {
public:
  tSet taxa;   // taxa labelling this vertex (over 1..ntax); empty if unlabelled
  tSet splits; // splits p for which this vertex lies opposite p's normalized side
  int num = 0;
  double x = 0.0; // world coordinates, y up
  double y = 0.0;
  tEdgeList list;
  tVertex* next = nullptr; // links of the graph's vertex list
  tVertex* prev = nullptr;

  tEdgeList& edges() { return list; }
  const tEdgeList& edges() const { return list; }
  // First incident edge of colour c, in adjacency order; null if none.
  tEdge* edge_of_color(int c) const;
  // The number of incident edges.
  int degree() const { return list.num(); }
};

class tSplitsGraph {
public:
  tSplitsGraph() = default;
  ~tSplitsGraph();
  tSplitsGraph(const tSplitsGraph&) = delete;
  tSplitsGraph& operator=(const tSplitsGraph&) = delete;

  // Removes everything; the next vertex and edge are number 1 again.
  void clear();
  int num_vertices() const { return num_existing_vertices; }
  int num_edges() const { return num_existing_edges; }
  int created_vertices() const { return num_created_vertices; }
  int created_edges() const { return num_created_edges; }

  // A new vertex at the tail of the vertex list, numbered by creation.
  tVertex* new_vertex();
  // A new edge v-w at the head of the edge list, colour 0 (callers set it).
  tEdge* new_edge(tVertex* v, tVertex* w);
  // Appends e to v's adjacency list, then to w's.
  void join_vertices(tVertex* v, tVertex* w, tEdge* e);
  void del_edge(tEdge* e);
  // Deletes v with all its edges.
  void del_vertex(tVertex* v);

  tVertex* first_vertex() const { return vertices; }
  tVertex* last_vertex_of_list() const { return last_vertex; }
  tVertex* next_vertex(const tVertex* v) const { return v->next; }
  tEdge* first_edge() const { return edges; }
  tEdge* next_edge(const tEdge* e) const { return e->next; }

  // Bounding box of the vertices; the graph is moved so that the box is
  // centred on the origin. All zero for an empty graph.
  void compute_bbox(double& minx, double& miny, double& maxx, double& maxy);

  // Look-ups that answer null instead of failing: for numbers, taxa and
  // colours that come from user input.
  tVertex* find_vertex(int num) const;           // first vertex with this number
  tEdge* find_edge(int num) const;               // first edge with this number
  tVertex* vertex_of_taxon(int t) const;         // first vertex whose taxa hold t
  tEdge* first_edge_of_color(int c) const;       // first in edge-list order (newest)
  // First colour in 1..nsplits that no edge carries; 0 when all are present.
  int color_without_edge(int nsplits) const;
  // First vertex that carries a taxon but has no edge; null if none.
  tVertex* isolated_labelled_vertex() const;

  // Renumbers the vertices 1..n in list order and returns the table number ->
  // vertex (n+1 entries, entry 0 null).
  std::vector<tVertex*> set_num2vert();
  // Moves the vertices whose numbers are in A by dist in direction angle
  // (tenths of a degree); nothing when |dist| < 0.000001.
  void move_set(const tSet& A, const std::vector<tVertex*>& num2vert, int angle, double dist);
  // A (vertex numbers, sized by the caller) gains the side of split p that
  // holds the taxa S: everything reachable from them without crossing colour p.
  void find_split_part(int p, const tSet& S, tSet& A) const;
  void find_split_part_recursively(const tVertex* v, int p, tSet& A) const;

  // Split directions (tenths of a degree, from the side of taxon 1) and
  // lengths measured on the coordinates, for a graph read from a file.
  // Fatal when a colour has no edge or no vertex holds taxon 1: check with
  // color_without_edge and vertex_of_taxon first.
  void compute_edge_angles(int nsplits, std::vector<int>& split_angles) const;
  void compute_edge_lengths(int nsplits, std::vector<double>& split_lengths) const;

  // Final numbering after a construction: vertices 1..n in list order;
  // vertices[n] is vertex n, tax2vertex[t] the vertex of taxon t and
  // translate[t] its number. The tables grow as needed.
  void compute_numbering_etc(std::vector<tVertex*>& tax2vertex, std::vector<tVertex*>& vertices,
                             std::vector<int>& translate);

  // A plain-text listing for diagnostics.
  std::string listing() const;

  // Construction steps (sgraph_2.cpp, compute_graph_n.cpp); see compute_graph.
  // Vertex sets are tSets of vertex numbers over 1..num_vertices(), built
  // right after set_num2vert. `labelled`, where given, flags by vertex number
  // the vertices that carry taxa, so that the others need no look at their
  // taxa; without it every vertex's taxa are examined.
  void determine_seperating_vertices(const tSet& S, const std::vector<int>& cycle, int ntax, tVertex*& v,
                                     tVertex*& w) const;
  void determine_seperating_path(tVertex* v, tVertex* w, tSet& path_set, std::vector<tVertex*>& path_vertices,
                                 std::vector<tEdge*>& path_edges, int& path_length) const;
  void divide_vertices(const tSet& S, tSet& vA, tSet& vB, const tSet& path_set,
                       const std::vector<tVertex*>& num2vert, const std::vector<char>* labelled = nullptr);
  void recursively_divide_vertices(const tVertex* v, tSet& A, const tSet& path_set) const;
  void reduce_loops(const tSet& S, tSet& vA, tSet& vB, tSet& path_set, const std::vector<tVertex*>& path_vertices,
                    const std::vector<tEdge*>& path_edges, int path_length,
                    const std::vector<char>* labelled = nullptr) const;
  static int has_neighbor_in_set(const tVertex* v, const tSet& A);
  void expand_split(int p, const tSet& S, const tSet& vA, const tSet& vB, const tSet& separating_set,
                    const std::vector<tVertex*>& num2vert, double angle, double distance);
  void determine_sets(tSet& A, tSet& convA, tSet& B, tSet& convB, tSet& D, const std::vector<tVertex*>& num2vert,
                      const tSet& S, const std::vector<char>* labelled = nullptr) const;
  // The vertices on the shortest paths from v to target, by a walk that
  // crosses each split of s_usable at most once. determine_sets gets the
  // union of these for all pairs in one search instead.
  void compute_conv(const tVertex* v, const tVertex* target, tSet& s_usable, tSet& visited) const;
  void determine_sets_trivial_split(tSet& convA, tSet& vA, tSet& vB, tSet& D, const std::vector<tVertex*>& num2vert,
                                    const tSet& S) const;
  void delete_superflouous_vertices();

private:
  int num_existing_vertices = 0;
  int num_existing_edges = 0;
  int num_created_vertices = 0;
  int num_created_edges = 0;
  tVertex* vertices = nullptr;    // head of the vertex list
  tVertex* last_vertex = nullptr; // its tail
  tEdge* edges = nullptr;         // head of the edge list (newest edge)

  void kill_vertex(tVertex* v);
  void kill_edge(tEdge* e);
};

// Direction of the vector (dx, dy) in degrees, -90 to just under 270.
double xy_angle(double dx, double dy);
// Direction from v to w in degrees, by the same rule.
double vw_angle(const tVertex* v, const tVertex* w);
// Direction of v seen from the origin, by the same rule.
double v_angle(const tVertex* v);
double vw_distance(const tVertex* v, const tVertex* w);
