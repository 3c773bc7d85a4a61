// Small helpers shared by the benchmarks: a wall clock and a fixed-seed
// generator, so that every run times the same work.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/message.h"
#include "core/random.h"

// Runs `work` `repeat` times and returns the best wall-clock time in seconds.
inline double best_seconds(int repeat, const std::function<void()>& work)
{
  double best = 1e300;
  for (int i = 0; i < repeat; i++) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best)
      best = took.count();
  }
  return best;
}

// Prints one figure in a fixed layout: "name  size  seconds".
inline void report(const char* name, const char* size, double seconds)
{
  std::printf("%-28s %-18s %10.4f s\n", name, size, seconds);
  std::fflush(stdout);
}

// Benchmarks show only their figures and a fatal error.
class tQuietFrontEnd : public tFrontEnd {
public:
  void log(const char*) override {}
  void show_warning(const char*) override {}
  void show_fatal(const char* text) override { std::fprintf(stderr, "Fatal Error: %s\n", text); }
};

inline double uniform() { return ref_rand() / (REF_RAND_MAX + 1.0); }

// A random tree grown by attaching each leaf 1..n to a random edge: leaves
// are nodes 1..n, inner nodes follow; edge lengths 0.05 to 1.05.
struct tTreeEdge {
  int u, v;
  double len;
};
struct tRandomTree {
  std::vector<tTreeEdge> edges;
  int nodes = 0;   // node numbers are below this
  int centre = 0;  // the first inner node
};
inline tRandomTree random_tree(int n)
{
  tRandomTree tree;
  std::vector<tTreeEdge>& edges = tree.edges;
  int nodes = n + 1;
  const int centre = nodes++;
  for (int x = 1; x <= 3; x++)
    edges.push_back({centre, x, 0.05 + uniform()});
  for (int leaf = 4; leaf <= n; leaf++) {
    tTreeEdge& e = edges[static_cast<size_t>(ref_rand()) % edges.size()];
    const int mid = nodes++;
    const tTreeEdge lower{mid, e.v, 0.05 + uniform()};
    e.v = mid;
    edges.push_back(lower);
    edges.push_back({mid, leaf, 0.05 + uniform()});
  }
  tree.nodes = nodes;
  tree.centre = centre;
  return tree;
}

// Path lengths of a random tree (random_tree), plus `arcs` splits that are
// arcs of the tree's leaf order (weights 0.1 to 0.5), each distance
// multiplied by a factor within `noise` of 1.
inline std::vector<std::vector<double>> noisy_tree_distances(int n, int arcs, double noise)
{
  const tRandomTree tree = random_tree(n);
  const std::vector<tTreeEdge>& edges = tree.edges;
  const int nodes = tree.nodes, centre = tree.centre;
  std::vector<std::vector<std::pair<int, double>>> adj(static_cast<size_t>(nodes));
  for (const tTreeEdge& e : edges) {
    adj[static_cast<size_t>(e.u)].push_back({e.v, e.len});
    adj[static_cast<size_t>(e.v)].push_back({e.u, e.len});
  }
  std::vector<std::vector<double>> d(static_cast<size_t>(n) + 1, std::vector<double>(static_cast<size_t>(n) + 1));
  for (int x = 1; x <= n; x++) {
    std::vector<double> dist(static_cast<size_t>(nodes), -1.0);
    std::vector<int> stack{x};
    dist[static_cast<size_t>(x)] = 0.0;
    while (!stack.empty()) {
      const int y = stack.back();
      stack.pop_back();
      for (const auto& [z, len] : adj[static_cast<size_t>(y)])
        if (dist[static_cast<size_t>(z)] < 0) {
          dist[static_cast<size_t>(z)] = dist[static_cast<size_t>(y)] + len;
          stack.push_back(z);
        }
    }
    for (int y = 1; y <= n; y++)
      d[static_cast<size_t>(x)][static_cast<size_t>(y)] = dist[static_cast<size_t>(y)];
  }
  // The leaves in the order a walk round the tree meets them.
  std::vector<int> order;
  std::vector<char> seen(static_cast<size_t>(nodes), 0);
  std::vector<int> walk{centre};
  while (!walk.empty()) {
    const int y = walk.back();
    walk.pop_back();
    seen[static_cast<size_t>(y)] = 1;
    if (y <= n)
      order.push_back(y);
    for (const auto& [z, len] : adj[static_cast<size_t>(y)])
      if (!seen[static_cast<size_t>(z)])
        walk.push_back(z);
  }
  for (int k = 0; k < arcs; k++) {
    const int start = ref_rand() % n, len = 2 + ref_rand() % (n / 2 - 1);
    const double w = 0.1 + 0.4 * uniform();
    std::vector<char> in(static_cast<size_t>(n) + 1, 0);
    for (int i = 0; i < len; i++)
      in[static_cast<size_t>(order[static_cast<size_t>((start + i) % n)])] = 1;
    for (int x = 1; x <= n; x++)
      for (int y = 1; y <= n; y++)
        if (in[static_cast<size_t>(x)] != in[static_cast<size_t>(y)])
          d[static_cast<size_t>(x)][static_cast<size_t>(y)] += w;
  }
  for (int x = 1; x <= n; x++)
    for (int y = x + 1; y <= n; y++)
      d[static_cast<size_t>(x)][static_cast<size_t>(y)] *= 1 - noise + 2 * noise * uniform();
  return d;
}

// A DNA alignment evolved along a random tree (each leaf attached to a random
// edge, edge lengths 0.01 to 0.06 substitutions per site, Jukes-Cantor
// changes), as NEXUS text with TAXA and CHARACTERS blocks.
inline std::string tree_alignment(int ntax, int nchar)
{
  struct tNode {
    int parent;
    double len;
  };
  // Nodes 1..ntax are leaves; the tree grows by splitting a random edge.
  std::vector<tNode> node(static_cast<size_t>(2 * ntax) + 1, tNode{0, 0.0});
  std::vector<int> below{1, 2}; // nodes that hang from an edge
  int next = ntax + 1;
  const int root = next++;
  node[1] = {root, 0.01 + 0.05 * uniform()};
  node[2] = {root, 0.01 + 0.05 * uniform()};
  for (int leaf = 3; leaf <= ntax; leaf++) {
    const int v = below[static_cast<size_t>(ref_rand()) % below.size()];
    const int mid = next++;
    node[static_cast<size_t>(mid)] = {node[static_cast<size_t>(v)].parent, 0.01 + 0.05 * uniform()};
    node[static_cast<size_t>(v)].parent = mid;
    node[static_cast<size_t>(leaf)] = {mid, 0.01 + 0.05 * uniform()};
    below.push_back(mid);
    below.push_back(leaf);
  }
  // Parents before children: inner nodes in creation order after the root,
  // then the leaves.
  const char* bases = "ACGT";
  std::vector<std::string> seq(static_cast<size_t>(next));
  seq[static_cast<size_t>(root)].resize(static_cast<size_t>(nchar));
  for (char& c : seq[static_cast<size_t>(root)])
    c = bases[ref_rand() % 4];
  std::vector<int> order;
  for (int v = root + 1; v < next; v++)
    order.push_back(v);
  for (int v = 1; v <= ntax; v++)
    order.push_back(v);
  // Creation order is not parent order for inner nodes: resolve by depth.
  std::vector<int> depth(static_cast<size_t>(next), -1);
  depth[static_cast<size_t>(root)] = 0;
  std::function<int(int)> depth_of = [&](int v) {
    int& d = depth[static_cast<size_t>(v)];
    if (d < 0)
      d = depth_of(node[static_cast<size_t>(v)].parent) + 1;
    return d;
  };
  for (int v : order)
    depth_of(v);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return depth[static_cast<size_t>(a)] < depth[static_cast<size_t>(b)]; });
  for (int v : order) {
    std::string s = seq[static_cast<size_t>(node[static_cast<size_t>(v)].parent)];
    const double p = 0.75 * (1.0 - std::exp(-4.0 / 3.0 * node[static_cast<size_t>(v)].len));
    for (char& c : s)
      if (uniform() < p)
        c = bases[(std::string("ACGT").find(c) + 1 + static_cast<size_t>(ref_rand() % 3)) % 4];
    seq[static_cast<size_t>(v)] = std::move(s);
  }
  std::string text = "#NEXUS\nBEGIN TAXA;\nDIMENSIONS NTAX=" + std::to_string(ntax) + ";\nTAXLABELS";
  for (int t = 1; t <= ntax; t++)
    text += " t" + std::to_string(t);
  text += ";\nEND;\nBEGIN CHARACTERS;\nDIMENSIONS NCHAR=" + std::to_string(nchar) +
          ";\nFORMAT DATATYPE=DNA MISSING=? GAP=-;\nMATRIX\n";
  for (int t = 1; t <= ntax; t++)
    text += "t" + std::to_string(t) + " " + seq[static_cast<size_t>(t)] + "\n";
  return text + ";\nEND;\n";
}

// DNA sequences of the leaves of random_tree(n), evolved from a random root
// (the centre) along the edges: at each site of an edge of length len a
// change with chance rate * len.
inline std::vector<std::string> tree_sequences(int n, int nchar, double rate)
{
  const tRandomTree tree = random_tree(n);
  std::vector<std::vector<std::pair<int, double>>> children(static_cast<size_t>(tree.nodes));
  for (const tTreeEdge& e : tree.edges)
    children[static_cast<size_t>(e.u)].push_back({e.v, e.len});
  std::vector<std::string> seq(static_cast<size_t>(tree.nodes));
  std::string& root = seq[static_cast<size_t>(tree.centre)];
  for (int c = 0; c < nchar; c++)
    root += "ACGT"[ref_rand() % 4];
  std::vector<int> stack{tree.centre};
  while (!stack.empty()) {
    const int y = stack.back();
    stack.pop_back();
    for (const auto& [z, len] : children[static_cast<size_t>(y)]) {
      std::string s = seq[static_cast<size_t>(y)];
      for (char& x : s)
        if (uniform() < rate * len) {
          const int i = x == 'A' ? 0 : x == 'C' ? 1 : x == 'G' ? 2 : 3;
          x = "ACGT"[(i + 1 + ref_rand() % 3) % 4];
        }
      seq[static_cast<size_t>(z)] = s;
      stack.push_back(z);
    }
  }
  return std::vector<std::string>(seq.begin() + 1, seq.begin() + n + 1);
}
