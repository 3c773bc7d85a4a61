// Small helpers shared by the benchmarks: a wall clock and a fixed-seed
// generator, so that every run times the same work.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
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

// A random tree grown by attaching each leaf 4..n to a random edge of the
// tree on leaves 1..3 joined at one centre; leaves are nodes 1..n, the centre
// n+1, inner nodes after it. Edges run from parent to child.
struct tTreeEdge {
  int u, v;
  double len;
};
inline int random_tree(int n, std::vector<tTreeEdge>& edges)
{
  edges.clear();
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
  return nodes;
}

// Path lengths of a random tree (random_tree), plus `arcs` splits that are
// arcs of the tree's leaf order (weights 0.1 to 0.5), each distance
// multiplied by a factor within `noise` of 1.
inline std::vector<std::vector<double>> noisy_tree_distances(int n, int arcs, double noise)
{
  std::vector<tTreeEdge> edges;
  const int nodes = random_tree(n, edges);
  const int centre = n + 1;
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

// Rows 1..n of `nchar` DNA sites evolved along a random tree (random_tree):
// a random root sequence, and on each edge every site changes to another
// base with probability rate * length.
inline std::vector<std::string> tree_sequences(int n, int nchar, double rate)
{
  std::vector<tTreeEdge> edges;
  const int nodes = random_tree(n, edges);
  std::vector<std::vector<std::pair<int, double>>> children(static_cast<size_t>(nodes));
  for (const tTreeEdge& e : edges)
    children[static_cast<size_t>(e.u)].push_back({e.v, e.len});
  std::vector<std::string> seq(static_cast<size_t>(nodes));
  std::string& root = seq[static_cast<size_t>(n + 1)];
  for (int c = 0; c < nchar; c++)
    root += "ACGT"[ref_rand() % 4];
  std::vector<int> stack{n + 1};
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
