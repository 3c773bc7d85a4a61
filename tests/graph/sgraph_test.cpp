#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graph/sgraph.h"

namespace {

// A path a -1- b -2- c, unlabelled.
struct tPath {
  tSplitsGraph g;
  tVertex* a;
  tVertex* b;
  tVertex* c;
  tEdge* ab;
  tEdge* bc;
  tPath() : a(g.new_vertex()), b(g.new_vertex()), c(g.new_vertex())
  {
    ab = g.new_edge(a, b);
    ab->color = 1;
    bc = g.new_edge(b, c);
    bc->color = 2;
  }
};

std::vector<int> adjacency(const tVertex* v)
{
  std::vector<int> nums;
  for (int i = 1; i <= v->edges().num(); i++)
    nums.push_back(v->edges().get(i)->num);
  return nums;
}

void label(tVertex* v, int ntax, int t)
{
  v->taxa = tSet(ntax);
  v->taxa.insert(t);
}

} // namespace

TEST(SplitsGraph, ListOrdersAndDeletion)
{
  tPath p;
  EXPECT_EQ(p.g.first_edge(), p.bc); // newest first
  EXPECT_EQ(adjacency(p.b), (std::vector<int>{1, 2}));
  EXPECT_EQ(p.b->edge_of_color(3), nullptr);

  // b gets a third edge; deleting it leaves the other ends without them,
  // and its number is not given again.
  p.g.new_edge(p.b, p.g.new_vertex());
  p.g.del_vertex(p.b);
  EXPECT_EQ(p.g.num_vertices() * 10 + p.g.num_edges(), 30);
  EXPECT_EQ(adjacency(p.a), std::vector<int>{});
  EXPECT_EQ(p.g.new_vertex()->num, 5);

  p.g.clear();
  tVertex* v = p.g.new_vertex();
  EXPECT_EQ(v->num, 1);
  EXPECT_EQ(p.g.new_edge(v, v)->num, 1);
}

TEST(SplitsGraph, BoxAnglesAndMoves)
{
  tSplitsGraph g;
  double minx = 1, miny = 1, maxx = 1, maxy = 1;
  g.compute_bbox(minx, miny, maxx, maxy);
  EXPECT_EQ(std::vector<double>({minx, miny, maxx, maxy}), std::vector<double>(4, 0.0));
  tVertex* a = g.new_vertex();
  a->x = 3;
  g.compute_bbox(minx, miny, maxx, maxy);
  EXPECT_EQ(std::vector<double>({minx, maxx, a->x}), std::vector<double>(3, 0.0));
  tVertex* b = g.new_vertex();
  b->x = 4;
  b->y = 2;
  g.compute_bbox(minx, miny, maxx, maxy);
  EXPECT_EQ(std::vector<double>({minx, miny, maxx, maxy, b->x, b->y}), std::vector<double>({-2, -1, 2, 1, 2, 1}));

  tVertex v, w;
  w.y = 3;
  EXPECT_EQ(vw_angle(&v, &v), 90.0);
  EXPECT_EQ(vw_angle(&w, &v), -90.0);
  w.x = -2;
  w.y = 0;
  EXPECT_EQ(vw_angle(&v, &w), 180.0);
  w.y = -1;
  EXPECT_GT(vw_angle(&v, &w), 180.0);
  EXPECT_LT(vw_angle(&v, &w), 270.0);
  EXPECT_NEAR(vw_distance(&v, &w), std::sqrt(5.0), 1e-12);

  const std::vector<tVertex*> num2vert = g.set_num2vert();
  tSet A(2);
  A.insert(2);
  g.move_set(A, num2vert, 900, 0.0000005);
  EXPECT_EQ(b->y, 1.0);
  g.move_set(A, num2vert, 900, -2);
  EXPECT_NEAR(b->x, 2.0, 1e-9);
  EXPECT_NEAR(b->y, -1.0, 1e-9);
  EXPECT_EQ(a->y, -1.0);
}

TEST(SplitsGraph, RenumberingAndSplitParts)
{
  tPath p;
  p.g.del_vertex(p.a);
  tVertex* d = p.g.new_vertex();
  p.g.new_edge(p.c, d)->color = 1;
  const std::vector<tVertex*> num2vert = p.g.set_num2vert();
  EXPECT_EQ(num2vert, (std::vector<tVertex*>{nullptr, p.b, p.c, d}));
  EXPECT_EQ(d->num, 3);

  // b -2- c -1- d with taxon 1 on b: the side of colour 2 holding it is b,
  // that of colour 1 is b and c.
  label(p.b, 2, 1);
  label(d, 2, 2);
  tSet S(2), part(3);
  S.insert(1);
  p.g.find_split_part(2, S, part);
  EXPECT_EQ(part.size(), 1);
  part.make_emptyset();
  p.g.find_split_part(1, S, part);
  EXPECT_EQ(part.size(), 2);
  EXPECT_FALSE(part.is_element(3));
}

TEST(SplitsGraph, LookupsForUserNumbersAnswerNull)
{
  tPath p;
  label(p.a, 3, 2);
  EXPECT_EQ(p.g.find_vertex(2), p.b);
  EXPECT_EQ(p.g.find_vertex(4), nullptr);
  EXPECT_EQ(p.g.find_edge(1), p.ab);
  EXPECT_EQ(p.g.find_edge(3), nullptr);
  EXPECT_EQ(p.g.vertex_of_taxon(2), p.a);
  EXPECT_EQ(p.g.vertex_of_taxon(1), nullptr);
  EXPECT_EQ(p.g.vertex_of_taxon(-1), nullptr);
  EXPECT_EQ(p.g.first_edge_of_color(2), p.bc);
  EXPECT_EQ(p.g.color_without_edge(2), 0);
  EXPECT_EQ(p.g.color_without_edge(4), 3);
  EXPECT_EQ(p.g.isolated_labelled_vertex(), nullptr);
  tVertex* lone = p.g.new_vertex();
  lone->taxa = tSet(3);
  EXPECT_EQ(p.g.isolated_labelled_vertex(), nullptr);
  lone->taxa.insert(3);
  EXPECT_EQ(p.g.isolated_labelled_vertex(), lone);
}

TEST(SplitsGraph, SplitGeometryIsMeasuredFromTaxonOne)
{
  // Taxon 1 at (1, 0), taxon 2 at the origin: colour 1 points from 1 to 2.
  tSplitsGraph g;
  tVertex* one = g.new_vertex();
  tVertex* two = g.new_vertex();
  label(one, 2, 1);
  label(two, 2, 2);
  one->x = 1;
  g.new_edge(one, two)->color = 1;
  g.new_edge(two, one)->color = 1; // the newest edge of the colour is measured
  std::vector<int> angles;
  std::vector<double> lengths;
  g.compute_edge_angles(1, angles);
  g.compute_edge_lengths(1, lengths);
  EXPECT_EQ(angles, (std::vector<int>{0, 1800}));
  EXPECT_EQ(lengths, (std::vector<double>{0, 1}));
}

TEST(SplitsGraphDeath, MissingColourIsFatal)
{
  tPath p;
  label(p.a, 1, 1);
  std::vector<int> angles;
  std::vector<double> lengths;
  EXPECT_DEATH(p.g.compute_edge_angles(3, angles), "compute_edge_angles\\(\\): Can't find edge of color: 3");
  EXPECT_DEATH(p.g.compute_edge_lengths(3, lengths), "Can't find edge of color: 3");
  tSplitsGraph empty;
  EXPECT_DEATH(empty.compute_edge_angles(1, angles), "compute_edge_angles\\(\\): n1=0");
}

TEST(SplitsGraph, CubeLosesTheCornersWhoseBoxesAreComplete)
{
  // The 3-cube over colours 1, 2, 3: vertex k has bit c-1 set for colour c.
  tSplitsGraph g;
  std::vector<tVertex*> v;
  for (int k = 0; k < 8; k++) {
    v.push_back(g.new_vertex());
    v.back()->taxa = tSet(4);
  }
  for (int k = 0; k < 8; k++)
    for (int c = 1; c <= 3; c++)
      if ((k ^ (1 << (c - 1))) > k)
        g.new_edge(v[k], v[k ^ (1 << (c - 1))])->color = c;
  v[3]->taxa.insert(1); // labelled vertices stay
  g.delete_superflouous_vertices();
  // 000 goes first, then 111 (none of its neighbours or box corners is
  // marked); the vertices next to them touch a marked one.
  EXPECT_EQ(g.num_vertices(), 6);
  EXPECT_EQ(g.num_edges(), 6);
  EXPECT_EQ(g.vertex_of_taxon(1)->edges().num(), 2);
}
