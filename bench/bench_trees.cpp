// Reading and counting many trees: 10,000 random trees of 100 taxa (fixed
// seed) in a TREES block with a TRANSLATE table, read from a file, then
// their consensus network at the default threshold. Prints the times and
// the peak resident memory.
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_taxa.h"
#include "blocks/blk_trees.h"
#include "core/message.h"
#include "document/document.h"
#include "splits/consensus.h"
#include "splits/splits_sys.h"

namespace {

// A random tree as Newick text, taxa by number, rooted at its first inner node.
std::string newick_text(int n)
{
  const tRandomTree tree = random_tree(n);
  std::vector<std::vector<std::pair<int, double>>> children(static_cast<size_t>(tree.nodes));
  for (const tTreeEdge& e : tree.edges)
    children[static_cast<size_t>(e.u)].push_back({e.v, e.len});
  std::string out;
  char len[32];
  std::function<void(int)> write = [&](int v) {
    if (v <= n) {
      out += std::to_string(v);
      return;
    }
    out += '(';
    bool first = true;
    for (const auto& [c, l] : children[static_cast<size_t>(v)]) {
      if (!first)
        out += ',';
      first = false;
      write(c);
      std::snprintf(len, sizeof len, ":%.6f", l);
      out += len;
    }
    out += ')';
  };
  write(tree.centre);
  return out;
}

long peak_rss_mb()
{
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

} // namespace

int main()
{
  tQuietFrontEnd quiet;
  set_front_end(&quiet);
  const int ntax = 100, ntrees = 10000;
  ref_srand(7);
  std::string text = "#NEXUS\nBEGIN TAXA;\nDIMENSIONS NTAX=" + std::to_string(ntax) + ";\nTAXLABELS";
  for (int t = 1; t <= ntax; t++)
    text += " taxon" + std::to_string(t);
  text += ";\nEND;\nBEGIN TREES;\nTRANSLATE\n";
  for (int t = 1; t <= ntax; t++)
    text += "  " + std::to_string(t) + " taxon" + std::to_string(t) + (t < ntax ? ",\n" : ";\n");
  for (int k = 1; k <= ntrees; k++)
    text += "TREE t" + std::to_string(k) + " = [&U] " + newick_text(ntax) + ";\n";
  text += "END;\n";
  char name[] = "/tmp/quivet-bench-trees-XXXXXX";
  close(mkstemp(name));
  std::ofstream(name, std::ios::binary) << text;
  const size_t bytes = text.size();
  text.clear();
  text.shrink_to_fit();

  tDocument doc;
  const double t_read = best_seconds(1, [&] {
    doc.freeze_update = 1;
    doc.read_file(name);
  });
  unlink(name);
  tSplitsSystem splits;
  std::string why;
  const double t_count = best_seconds(1, [&] {
    consensus_splits(&splits, doc.trees.get(), doc.taxa.get(), 0.33, "FREQUENCY", &why);
  });
  char size[64];
  std::snprintf(size, sizeof size, "%d x %d taxa", doc.trees->get_ntrees(), ntax);
  report("read trees", size, t_read);
  report("count splits (consensus)", size, t_count);
  report("read and count", size, t_read + t_count);
  std::printf("file %.1f MB, %d splits kept, peak RSS %ld MB\n", bytes / 1e6, splits.get_n(), peak_rss_mb());
  set_front_end(nullptr);
  return 0;
}
