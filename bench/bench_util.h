// Small helpers shared by the benchmarks: a wall clock and a fixed-seed
// generator, so that every run times the same work.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

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
