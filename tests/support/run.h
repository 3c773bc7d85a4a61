// Runs the built program as a user would, capturing what it prints.
#pragma once

#include <string>
#include <vector>

struct tRunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs quivet with `args` in `dir` (a fresh temporary folder when empty),
// feeding `input` on standard input.
tRunResult run_quivet(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& dir = "");

// The word the shell reads back as `s`.
std::string shell_quote(const std::string& s);

// Runs a shell command; returns what it wrote to standard output and error.
std::string shell(const std::string& command, int* status = nullptr);

// Whether every program named (separated by blanks) is on the path.
bool have_tools(const std::string& names);

// A temporary folder removed with its contents when the object goes.
class tTempDir {
public:
  tTempDir();
  ~tTempDir();
  const std::string& path() const { return dir; }
  std::string file(const std::string& name) const { return dir + "/" + name; }
  void write(const std::string& name, const std::string& text) const;

private:
  std::string dir;
};
