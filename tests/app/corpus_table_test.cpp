// What Quivet makes of each real NEXUS file of the shared corpus: whether it
// gets data, the taxon and character counts, and the first things the log
// says. The table tests/data/app/nexus_corpus.expected is reviewed by a
// person; QV_REGENERATE=1 rewrites it for that review.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "blocks/blk_trees.h"
#include "document/document.h"
#include "tests/support/capture.h"

namespace {

// Messages worth a reader's eye: refusals, warnings and the choice of a block.
constexpr size_t MESSAGES_PER_FILE = 4;

bool notable(const std::string& line)
{
  for (const char* start : {"NEXUS syntax error", "NEXUS warning", "Warning: ", "CHARACTERS: ", "Converting "})
    if (line.rfind(start, 0) == 0)
      return true;
  return false;
}

std::string table_entry(const std::string& dir, const std::string& name)
{
  tCaptureScope capture;
  std::ostringstream entry;
  {
    tDocument doc;
    doc.read_file((dir + "/" + name).c_str());
    entry << name << ": ";
    if (doc.characters->valid())
      entry << "characters " << doc.characters->get_ntax() << " x " << doc.characters->get_nchar();
    else if (capture.fe.transcript.find("All sites are constant, invalid!") != std::string::npos)
      entry << "characters " << doc.characters->get_ntax() << " x " << doc.characters->get_nchar()
            << " read, all sites constant: nothing to analyse";
    else if (doc.distances->valid())
      entry << "distances " << doc.distances->get_ntax();
    else
      entry << "no data";
    if (doc.trees->valid())
      entry << ", trees " << doc.trees->get_ntrees();
    entry << "\n";
  }
  // Repeats of one message are counted, so that other messages still show.
  std::vector<std::pair<std::string, int>> lines;
  std::istringstream log(capture.fe.transcript);
  for (std::string line; std::getline(log, line);) {
    // Progress dots of a long matrix run into the next message.
    if (line.rfind("CHARACTERS:", 0) == 0 && line.size() > 11 && line[11] != ' ')
      line.erase(0, line.find_first_not_of('.', 11));
    if (line.size() > 100)
      line = line.substr(0, 100) + "...";
    if (!notable(line))
      continue;
    if (!lines.empty() && lines.back().first == line)
      lines.back().second++;
    else if (lines.size() < MESSAGES_PER_FILE)
      lines.emplace_back(line, 1);
    else
      break;
  }
  for (const auto& l : lines) {
    entry << "    " << l.first;
    if (l.second > 1)
      entry << " (" << l.second << " times)";
    entry << "\n";
  }
  return entry.str();
}

std::vector<std::string> corpus_files(const std::string& dir)
{
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".nex") == 0)
        names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace

TEST(NexusCorpus, EachFileReadsAsTheReviewedTableSays)
{
  const std::string dir = shared_data_dir();
  if (dir.empty())
    GTEST_SKIP() << "no shared data folder beside the project";
  const std::vector<std::string> names = corpus_files(dir);
  ASSERT_FALSE(names.empty());
  std::string table;
  for (const std::string& name : names)
    table += table_entry(dir, name);
  const std::string expected = source_dir() + "/tests/data/app/nexus_corpus.expected";
  if (std::getenv("QV_REGENERATE")) {
    std::ofstream(expected, std::ios::binary) << table;
    return;
  }
  EXPECT_EQ(table, read_text_file(expected));
}
