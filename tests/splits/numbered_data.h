// What the split, graph and distance tests build their cases from: taxa
// t1..tn with distances or characters, weighted splits, random trees.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/random.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"

// A uniform draw from [0, 1) on the reference generator, so that seeds set
// with ref_srand give the same cases everywhere.
inline double uniform() { return ref_rand() / (REF_RAND_MAX + 1.0); }

inline void add(tSplitsSystem& sys, const std::vector<int>& side, double w = 1.0)
{
  tSet S(sys.ntax);
  for (int x : side)
    S.insert(x);
  sys.append_split(&S, w);
}

// The clusters of a random binary tree on 1..n, one per edge: pendant edges
// are clusters of one, and the root's two parts count as one edge.
inline std::vector<std::vector<int>> random_tree_clusters(int n)
{
  std::vector<std::vector<int>> clusters, todo{{}};
  for (int x = 1; x <= n; x++)
    todo[0].push_back(x);
  while (!todo.empty()) {
    const std::vector<int> cluster = todo.back();
    todo.pop_back();
    std::vector<int> part[2];
    for (size_t i = 0; i < cluster.size(); i++)
      part[i < 2 ? i : static_cast<size_t>(ref_rand()) % 2].push_back(cluster[i]);
    for (int p = 0; p < 2; p++) {
      if (static_cast<int>(cluster.size()) < n || p == 0)
        clusters.push_back(part[p]);
      if (part[p].size() > 1)
        todo.push_back(part[p]);
    }
  }
  return clusters;
}

// Taxa t1..tn and the blocks the methods read, as the document holds them.
struct tNumberedData {
  tTaxaBlk taxa;
  tDistancesBlk distances;
  tCharactersBlk characters;
  tAssumptionsBlk assumptions;

  // Distances d(i, j) for 1 <= i < j <= n.
  tNumberedData(int n, const std::function<double(int, int)>& d)
  {
    std::string zeros;
    for (int i = 0; i < n * (n + 1) / 2; i++)
      zeros += " 0";
    read_taxa(n);
    tNexusInput in;
    in.OpenString(("; FORMAT NO LABELS; MATRIX" + zeros + "; END").c_str());
    EXPECT_EQ(distances.read(&in, &taxa), 1);
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++)
        distances.set_matrix(i, j, d(i, j));
  }
  // Character rows; `format` may carry further commands before MATRIX
  // ("...; CHARWEIGHTS 1 2").
  explicit tNumberedData(const std::vector<std::string>& rows,
                         const std::string& format = "DATATYPE=DNA MISSING=? GAP=-")
  {
    std::string matrix;
    for (size_t t = 1; t <= rows.size(); t++)
      matrix += "\n t" + std::to_string(t) + " " + rows[t - 1];
    read_taxa(static_cast<int>(rows.size()));
    tNexusInput in;
    in.OpenString(("; DIMENSIONS NCHAR=" + std::to_string(rows[0].size()) + "; FORMAT " + format + "; MATRIX" +
                   matrix + "; END").c_str());
    EXPECT_EQ(characters.read(&in, &taxa), 1);
  }

private:
  void read_taxa(int n)
  {
    std::string labels;
    for (int t = 1; t <= n; t++)
      labels += " t" + std::to_string(t);
    tNexusInput in;
    in.OpenString(("; DIMENSIONS NTAX=" + std::to_string(n) + "; TAXLABELS" + labels + "; END").c_str());
    EXPECT_EQ(taxa.read(&in), 1);
  }
};
