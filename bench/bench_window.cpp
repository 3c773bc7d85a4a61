// Times the main window: from starting the program to the empty window, and
// to the window showing a network of 200 taxa (about 600 edges, its
// analysis included); a redraw after a turn and after a resize. Runs the program under a virtual X server with the
// script bench/window.tcl; without one it says so and does nothing.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "core/auxilary.h"

namespace {
// Extra splits beside the tree: about 600 edges in all.
constexpr int ARCS = 4;


// A distance matrix of a random tree with arcs: a network full of boxes.
std::string network_file(int n)
{
  ref_srand(20240611);
  const auto d = noisy_tree_distances(n, ARCS, 0.002);
  std::string text = "#NEXUS\nbegin taxa;\n dimensions ntax=" + std::to_string(n) + ";\n taxlabels";
  for (int t = 1; t <= n; t++)
    text += " Taxon_" + std::to_string(t);
  text += ";\nend;\nbegin distances;\n format triangle=both;\n matrix\n";
  for (int i = 1; i <= n; i++) {
    text += " Taxon_" + std::to_string(i);
    for (int j = 1; j <= n; j++)
      text += string_printf(" %.6f", i == j ? 0.0 : d[static_cast<size_t>(std::min(i, j))][static_cast<size_t>(std::max(i, j))]);
    text += "\n";
  }
  return text + " ;\nend;\n";
}

} // namespace

int main()
{
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) {
    std::printf("window: no xvfb-run here, nothing timed\n");
    return 0;
  }
  char folder[] = "/tmp/quivet-bench-XXXXXX";
  if (!mkdtemp(folder))
    return 1;
  const std::string dir = folder;
  FILE* f = std::fopen((dir + "/network.nex").c_str(), "w");
  if (!f)
    return 1;
  std::fputs(network_file(200).c_str(), f);
  std::fclose(f);
  // The start is taken just before the program starts, inside the server.
  int status = 0;
  for (const char* file : {"", " network.nex"}) {
    const std::string cmd = "cd " + dir + " && xvfb-run -a -s '-screen 0 1600x1100x24' sh -c 'date +%s%N >t0; exec " +
                            QV_BINARY + " --test-script " + QV_SOURCE_DIR + "/bench/window.tcl" + file + "' 2>&1";
    status |= std::system(cmd.c_str());
  }
  std::system(("rm -rf " + dir).c_str());
  return status == 0 ? 0 : 1;
}
