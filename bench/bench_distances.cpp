// Reading a large alignment and turning it into distances.
//
// Random DNA alignments (fixed seed): every taxon is a copy of one ancestor
// with about 10% of its sites changed, and a few gaps and missing states.
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/bench_util.h"
#include "core/message.h"
#include "distances/hamming.h"
#include "distances/jukecantor.h"
#include "distances/kimura3st.h"
#include "distances/logdet.h"
#include "document/document.h"

namespace {

std::string alignment(int ntax, int nchar)
{
  ref_srand(12345);
  const char* bases = "ACGT";
  std::string root(nchar, 'A');
  for (char& c : root)
    c = bases[ref_rand() % 4];
  std::string text = "#NEXUS\nBEGIN TAXA;\nDIMENSIONS NTAX=" + std::to_string(ntax) + ";\nTAXLABELS";
  for (int t = 1; t <= ntax; t++)
    text += " t" + std::to_string(t);
  text += ";\nEND;\nBEGIN CHARACTERS;\nDIMENSIONS NCHAR=" + std::to_string(nchar) +
          ";\nFORMAT DATATYPE=DNA MISSING=? GAP=-;\nMATRIX\n";
  for (int t = 1; t <= ntax; t++) {
    std::string row = root;
    for (char& c : row) {
      const int r = ref_rand() % 1000;
      if (r < 100)
        c = bases[ref_rand() % 4];
      else if (r < 102)
        c = '-';
      else if (r < 104)
        c = '?';
    }
    text += "t" + std::to_string(t) + " " + row + "\n";
  }
  return text + ";\nEND;\n";
}

std::string write_temp(const std::string& text)
{
  char name[] = "/tmp/quivet-bench-XXXXXX";
  const int fd = mkstemp(name);
  close(fd);
  std::ofstream(name, std::ios::binary) << text;
  return name;
}

} // namespace

int main()
{
  tQuietFrontEnd quiet;
  set_front_end(&quiet);
  const int nchar = 10000;

  {
    const std::string file = write_temp(alignment(1000, nchar));
    char size[64];
    std::snprintf(size, sizeof size, "1000x%d (%.1f MB)", nchar, alignment(1000, nchar).size() / 1e6);
    const double t = best_seconds(3, [&] {
      tDocument doc;
      doc.freeze_update = 1;
      doc.read_file(file.c_str());
    });
    report("read NEXUS file", size, t);
    std::remove(file.c_str());
  }

  for (int ntax : {100, 300, 1000}) {
    const std::string file = write_temp(alignment(ntax, nchar));
    tDocument doc;
    doc.freeze_update = 1;
    doc.read_file(file.c_str());
    std::remove(file.c_str());
    doc.freeze_update = 0;
    doc.update_blocks(); // sizes the distance matrix
    char size[64];
    std::snprintf(size, sizeof size, "%dx%d", ntax, nchar);
    const int repeat = ntax >= 1000 ? 1 : 3;
    report("computeHamming", size, best_seconds(repeat, [&] {
             computeHamming(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(), doc.distances.get());
           }));
    report("computeJukeCantor", size, best_seconds(repeat, [&] {
             computeJukeCantor(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(),
                               doc.distances.get());
           }));
    report("computeK3ST", size, best_seconds(repeat, [&] {
             computeK3ST(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(), doc.distances.get());
           }));
    report("computeLogDet", size, best_seconds(repeat, [&] {
             computeLogDet(doc.taxa.get(), doc.assumptions.get(), doc.characters.get(), doc.distances.get());
           }));
  }
  set_front_end(nullptr);
  return 0;
}
