// Real NEXUS files written by others: whatever they hold, the program must
// end normally, print only its own warnings, and never crash or hang.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/capture.h"
#include "tests/support/run.h"

TEST(RealFiles, EveryFileEndsCleanly)
{
  const std::string dir = shared_data_dir();
  if (dir.empty())
    GTEST_SKIP() << "no shared data folder beside the project";
  std::vector<std::string> files;
  DIR* d = opendir(dir.c_str());
  ASSERT_NE(d, nullptr);
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".nex") == 0)
      files.push_back(name);
  }
  closedir(d);
  ASSERT_FALSE(files.empty());
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    const tRunResult r = run_quivet({"-c", "show taxa sets;", dir + "/" + name});
    // 3: the file, or a command on it, failed (and said so).
    EXPECT_TRUE(r.status == 0 || r.status == 3) << "status " << r.status << "\n" << r.err;
    std::istringstream err(r.err);
    for (std::string line; std::getline(err, line);)
      EXPECT_EQ(line.rfind("Warning: ", 0), 0u) << line;
  }
}
