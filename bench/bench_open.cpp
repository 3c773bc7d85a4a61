// Opening a large alignment with the default analysis (Hamming distances,
// split decomposition, splits graph): each pipeline step and the whole open,
// on 1 and 2 threads, for alignments evolved along random trees (fixed
// seed). Also the triangle check of a 1000-taxon matrix on its own.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_assumptions.h"
#include "blocks/blk_bootstrap.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_extras.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "core/parallel.h"
#include "distances/triangle_check.h"
#include "document/document.h"
#include "splits/splits_sys.h"

namespace {

std::string write_temp(const std::string& text)
{
  char name[] = "/tmp/quivet-bench-XXXXXX";
  const int fd = mkstemp(name);
  close(fd);
  std::ofstream(name, std::ios::binary) << text;
  return name;
}

// The pipeline of a document read with its updates held back, step by step;
// each figure the best of `rounds` fresh reads.
void steps(const std::string& file, const char* size, int threads, int rounds)
{
  set_thread_count(threads);
  char name[64];
  double best_steps[4] = {HUGE_VAL, HUGE_VAL, HUGE_VAL, HUGE_VAL}, best_whole = HUGE_VAL;
  for (int round = 0; round < rounds; round++) {
    tDocument doc;
    const double t_read = best_seconds(1, [&] {
      doc.freeze_update = 1;
      doc.read_file(file.c_str());
      doc.freeze_update = 0;
    });
    double t_steps[4];
    const double t_all = best_seconds(1, [&] {
      doc.check_assumptions();
      doc.assumptions->update_taxa(doc.taxa.get());
      doc.characters->compute(doc.taxa.get(), doc.assumptions.get());
      t_steps[0] = best_seconds(1, [&] {
        doc.distances->compute(doc.taxa.get(), doc.assumptions.get(), doc.characters.get());
      });
      doc.spectra->compute(doc.taxa.get(), doc.assumptions.get(), doc.characters.get());
      t_steps[1] = best_seconds(1, [&] {
        doc.splits->compute(doc.taxa.get(), doc.assumptions.get(), doc.distances.get(), doc.spectra.get(),
                            doc.characters.get(), 1);
      });
      t_steps[2] =
          best_seconds(1, [&] { doc.sgraph->compute(doc.taxa.get(), doc.assumptions.get(), doc.splits.get()); });
      t_steps[3] = best_seconds(1, [&] {
        doc.extras->compute(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(), doc.distances.get());
        doc.bootstrap->compute(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(), doc.splits.get(),
                               doc.sgraph.get());
      });
      doc.assumptions->update.unpost(tUpdate::ALL);
    });
    for (int i = 0; i < 4; i++)
      best_steps[i] = std::min(best_steps[i], t_steps[i]);
    best_whole = std::min(best_whole, t_read + t_all);
  }
  const char* labels[] = {"distances", "splits", "graph", "rest"};
  for (int i = 0; i < 4; i++) {
    std::snprintf(name, sizeof name, "open: %s, %d thr", labels[i], threads);
    report(name, size, best_steps[i]);
  }
  std::snprintf(name, sizeof name, "open: whole, %d thr", threads);
  report(name, size, best_whole);
}

// Split decomposition alone on the distances of that file, best of five,
// and how much faster two threads are than one.
void decomposition_alone(const std::string& file, const char* size)
{
  tDocument doc;
  doc.read_file(file.c_str());
  double t[2];
  for (int threads : {1, 2}) {
    set_thread_count(threads);
    tSplitsSystem sd;
    t[threads - 1] = best_seconds(5, [&] {
      sd.clear();
      sd.set_ntax(doc.taxa->get_ntax());
      sd.split_decomposition(doc.taxa.get(), doc.assumptions.get(), doc.distances.get());
    });
    char name[64];
    std::snprintf(name, sizeof name, "split decomposition, %d thr", threads);
    report(name, size, t[threads - 1]);
  }
  std::printf("split decomposition %s: 2 threads %.2fx as fast as 1\n", size, t[0] / t[1]);
  set_thread_count(0);
}

} // namespace

int main()
{
  tQuietFrontEnd quiet;
  set_front_end(&quiet);
  for (int ntax : {200, 500, 1000}) {
    ref_srand(7);
    const std::string file = write_temp(tree_alignment(ntax, 2000));
    char size[64];
    std::snprintf(size, sizeof size, "%dx2000", ntax);
    for (int threads : {1, 2})
      steps(file, size, threads, ntax <= 500 ? 3 : 1);
    if (ntax == 500)
      decomposition_alone(file, size);
    std::remove(file.c_str());
  }
  {
    ref_srand(7);
    const std::string file = write_temp(tree_alignment(1000, 10000));
    for (int threads : {1, 2})
      steps(file, "1000x10000", threads, 1);
    std::remove(file.c_str());
  }
  {
    ref_srand(7);
    const auto d = noisy_tree_distances(1000, 0, 0.05);
    std::vector<double> flat(1001 * 1001, 0.0);
    for (int i = 1; i <= 1000; i++)
      for (int j = 1; j <= 1000; j++)
        flat[static_cast<size_t>(i) * 1001 + static_cast<size_t>(j)] = d[i][j];
    std::vector<tTriple> at;
    report("triangle check", "1000 taxa", best_seconds(3, [&] { worst_triangle_excess(flat.data(), 1000, 1001, 1e-8, &at); }));
  }
  set_front_end(nullptr);
  return 0;
}
