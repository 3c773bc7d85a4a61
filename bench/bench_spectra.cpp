// Times the spectral analysis (s-vectors, the three Hadamard conjugations)
// and the greedy selections of STREE and SPECTRAL on alignments of 5,000
// sites simulated on random trees of 16, 20 and 24 taxa, with the peak
// memory of each size. Each size runs in a process of its own, so that its
// peak is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"

namespace {

constexpr int SITES = 5000;

// Sequences evolved on a random tree under the three-substitution-type
// model: a nucleotide is a pair of bits, and each substitution type flips
// one or both of them, independently along each edge.
std::vector<std::string> simulate(int n)
{
  static const char bases[4] = {'T', 'C', 'A', 'G'};  // bit 1: purine, bit 0: G/C
  // Node 0 is the root with three leaves; each further leaf splits a random
  // edge (parent[v], v) by a new inner node.
  std::vector<int> parent{-1, 0, 0, 0};
  std::vector<int> leaves{1, 2, 3};
  for (int t = 3; t < n; t++) {
    const int v = 1 + static_cast<int>(static_cast<size_t>(ref_rand()) % (parent.size() - 1));
    const int mid = static_cast<int>(parent.size());
    parent.push_back(parent[static_cast<size_t>(v)]);
    parent[static_cast<size_t>(v)] = mid;
    parent.push_back(mid);
    leaves.push_back(mid + 1);
  }
  // Probability that an edge flips the state by substitution type 1, 2, 3.
  std::vector<double> flip(3 * parent.size());
  for (double& p : flip)
    p = 0.5 * (1 - std::exp(-2 * (0.01 + 0.06 * uniform())));
  // Parents before children.
  std::vector<int> order{0};
  for (size_t i = 0; i < order.size(); i++)
    for (size_t v = 1; v < parent.size(); v++)
      if (parent[v] == order[i])
        order.push_back(static_cast<int>(v));

  std::vector<std::string> rows(static_cast<size_t>(n), std::string(SITES, 'A'));
  std::vector<int> state(parent.size());
  for (int c = 0; c < SITES; c++) {
    state[0] = ref_rand() % 4;
    for (size_t i = 1; i < order.size(); i++) {
      const size_t v = static_cast<size_t>(order[i]);
      int x = state[static_cast<size_t>(parent[v])];
      for (int type = 0; type < 3; type++)
        if (uniform() < flip[3 * v + static_cast<size_t>(type)])
          x ^= type + 1;
      state[v] = x;
    }
    for (int t = 0; t < n; t++)
      rows[static_cast<size_t>(t)][static_cast<size_t>(c)] =
        bases[state[static_cast<size_t>(leaves[static_cast<size_t>(t)])]];
  }
  return rows;
}

double cpu_seconds()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Wall-clock and processor seconds: on a shared machine the second is the
// figure of the work itself.
void timed(const char* name, const char* size, const std::function<void()>& work)
{
  const double cpu = cpu_seconds();
  const double wall = best_seconds(1, work);
  std::printf("%-28s %-18s %10.4f s  (cpu %.4f s)\n", name, size, wall, cpu_seconds() - cpu);
  std::fflush(stdout);
}

void run(int n)
{
  ref_srand(20240607u + static_cast<unsigned>(n));
  const std::vector<std::string> rows = simulate(n);
  tTaxaBlk taxa;
  tCharactersBlk characters;
  tAssumptionsBlk assumptions;
  std::string labels, matrix;
  for (int t = 1; t <= n; t++) {
    labels += " t" + std::to_string(t);
    matrix += " t" + std::to_string(t) + " " + rows[static_cast<size_t>(t - 1)];
  }
  tNexusInput in;
  in.OpenString(("; DIMENSIONS NTAX=" + std::to_string(n) + "; TAXLABELS" + labels + "; END").c_str());
  taxa.read(&in);
  in.OpenString(("; DIMENSIONS NCHAR=" + std::to_string(SITES) + "; FORMAT DATATYPE=DNA; MATRIX" + matrix +
                 "; END").c_str());
  characters.read(&in, &taxa);
  assumptions.update.post(2);
  characters.compute(&taxa, &assumptions);
  assumptions.method = "STREE";

  char size[64];
  std::snprintf(size, sizeof size, "%d taxa x %d sites", n, SITES);
  tSpectraBlk spectra;
  timed("spectra", size, [&] {
    assumptions.update.post(64);
    spectra.compute(&taxa, &assumptions, &characters);
  });
  tSplitsSystem tree, weak;
  timed("STREE selection", size, [&] { tree.greedy_compatible_splits_spectra(&spectra); });
  timed("SPECTRAL selection", size, [&] { weak.greedy_weakly_compatible_splits_spectra(&spectra); });
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-28s %-18s %10.1f MB  (%d + %d splits)\n", "peak memory", size, usage.ru_maxrss / 1024.0,
              tree.get_n(), weak.get_n());
  std::fflush(stdout);
}

} // namespace

int main()
{
  // The library logs through its front end; none is registered, so it is quiet.
  for (int n : {16, 20, 24}) {
    const pid_t child = fork();
    if (child == 0) {
      run(n);
      _exit(0);
    }
    int status = 0;
    if (child < 0)
      run(n);
    else
      waitpid(child, &status, 0);
  }
  return 0;
}
