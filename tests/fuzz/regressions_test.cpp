// Inputs the fuzz target once crashed, hung or leaked on, fed the same way.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include "tests/fuzz/feed.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

TEST(FuzzRegressions, EveryReproducerReadsWithoutHarm)
{
  const std::string corpus = source_dir() + "/tests/fuzz/regressions";
  DIR* dir = opendir(corpus.c_str());
  ASSERT_NE(dir, nullptr);
  std::vector<std::string> names;
  while (dirent* e = readdir(dir))
    if (e->d_name[0] != '.')
      names.push_back(e->d_name);
  closedir(dir);
  ASSERT_FALSE(names.empty());

  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    tCaptureScope capture;
    tTempDir scratch;
    const std::string text = read_text_file(corpus + "/" + name);
    ASSERT_EQ(chdir(scratch.path().c_str()), 0);
    feed_untrusted_input(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    ASSERT_EQ(chdir(here), 0);
    EXPECT_TRUE(capture.fe.fatal.empty()) << capture.fe.fatal;
  }
}
