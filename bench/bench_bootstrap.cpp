// Times BOOTSTRAP 1000 (split decomposition of Hamming distances) on a DNA
// alignment of 30 taxa and 2000 sites simulated along a random tree, with
// one worker thread and with one per hardware thread, and checks that both
// give the same block.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_bootstrap.h"
#include "core/message.h"
#include "document/document.h"
#include "nexus/nexus.h"

namespace {

// Sequences evolved down a random tree: each edge changes a site with a
// probability of 2% to 12%, to a base drawn at random.
std::string alignment(int ntax, int nchar)
{
  ref_srand(4711);
  const char* bases = "ACGT";
  // Grown by splitting a random existing sequence into two.
  std::vector<std::string> seqs(1, std::string(static_cast<size_t>(nchar), 'A'));
  for (char& c : seqs[0])
    c = bases[ref_rand() % 4];
  auto evolve = [&](std::string s) {
    const double p = 0.02 + 0.1 * uniform();
    for (char& c : s)
      if (uniform() < p)
        c = bases[ref_rand() % 4];
    return s;
  };
  while (static_cast<int>(seqs.size()) < ntax) {
    const size_t k = static_cast<size_t>(ref_rand()) % seqs.size();
    const std::string parent = seqs[k];
    seqs[k] = evolve(parent);
    seqs.push_back(evolve(parent));
  }
  std::string text = "begin taxa; dimensions ntax=" + std::to_string(ntax) + "; taxlabels";
  for (int t = 1; t <= ntax; t++)
    text += " t" + std::to_string(t);
  text += "; end;\nbegin characters; dimensions nchar=" + std::to_string(nchar) +
          "; format datatype=dna; matrix\n";
  for (int t = 1; t <= ntax; t++)
    text += "t" + std::to_string(t) + " " + seqs[static_cast<size_t>(t - 1)] + "\n";
  return text + ";\nend;\n";
}

std::string bootstrap_block(tDocument& doc, int runs)
{
  doc.read_string(("bootstrap " + std::to_string(runs)).c_str());
  tNexusOutput out;
  out.OpenString();
  doc.bootstrap->print(&out, doc.taxa.get());
  return out.GetString();
}

} // namespace

int main()
{
  tQuietFrontEnd quiet;
  set_front_end(&quiet);
  const int ntax = 30, nchar = 2000, runs = 1000;
  tDocument doc;
  const std::string data = alignment(ntax, nchar);
  tNexusInput in;
  in.OpenString(data.c_str());
  doc.read_nexus(&in);
  char size[64];
  std::snprintf(size, sizeof size, "%d x %d, %d splits", ntax, nchar, doc.splits->get_nsplits());

  const int all = bootstrap_thread_count();
  std::string one_block, all_block;
  set_bootstrap_threads(1);
  const double t1 = best_seconds(3, [&] { one_block = bootstrap_block(doc, runs); });
  report("bootstrap 1000, 1 thread", size, t1);
  set_bootstrap_threads(all);
  const double tn = best_seconds(3, [&] { all_block = bootstrap_block(doc, runs); });
  char name[64];
  std::snprintf(name, sizeof name, "bootstrap 1000, %d threads", all);
  report(name, size, tn);
  std::printf("speed-up %.2f; blocks %s\n", t1 / tn, one_block == all_block ? "identical" : "DIFFER");
  set_front_end(nullptr);
  return one_block == all_block ? 0 : 1;
}
