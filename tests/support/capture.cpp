#include "tests/support/capture.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

std::string read_text_file(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string source_dir() { return QV_SOURCE_DIR; }

std::string shared_data_dir()
{
  std::string dir = source_dir() + "/../shared/data/nexus";
  struct stat st;
  if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return dir;
  return "";
}
