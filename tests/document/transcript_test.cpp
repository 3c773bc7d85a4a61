// Golden transcripts of the command language: each tests/data/document/*.nex
// is read as one file stream by a new document (as `quivet -b < file` does), and the log (with warnings as
// "Warning: " lines) must equal the .expected file beside it.
// QV_REGENERATE=1 rewrites the expected files for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <vector>

#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

std::vector<std::string> transcript_names()
{
  std::vector<std::string> names;
  const std::string dir = source_dir() + "/tests/data/document";
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".nex") == 0)
        names.push_back(name.substr(0, name.size() - 4));
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Transcript : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(Transcript, MatchesExpected)
{
  const std::string base = source_dir() + "/tests/data/document/" + GetParam();
  tCaptureScope capture;
  {
    tDocument doc;
    tNexusInput in;
    ASSERT_EQ(in.OpenFile(0, (base + ".nex").c_str()), 1);
    doc.read_nexus(&in);
  }
  if (std::getenv("QV_REGENERATE")) {
    std::ofstream(base + ".expected", std::ios::binary) << capture.fe.transcript;
    return;
  }
  EXPECT_EQ(capture.fe.transcript, read_text_file(base + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(Commands, Transcript, ::testing::ValuesIn(transcript_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });
