#include "tests/support/run.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/capture.h"

std::string shell_quote(const std::string& s)
{
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string shell(const std::string& command, int* status)
{
  std::string output;
  int st = -1;
  if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
    for (int c; (c = std::fgetc(p)) != EOF;)
      output += static_cast<char>(c);
    st = pclose(p);
  }
  if (status)
    *status = st;
  return output;
}

bool have_tools(const std::string& names)
{
  return std::system(("for t in " + names + "; do command -v $t >/dev/null 2>&1 || exit 1; done").c_str()) == 0;
}

tTempDir::tTempDir()
{
  char tmpl[] = "/tmp/quivet-test-XXXXXX";
  if (!mkdtemp(tmpl))
    throw std::runtime_error("mkdtemp failed");
  dir = tmpl;
}

tTempDir::~tTempDir()
{
  std::string cmd = "rm -rf " + shell_quote(dir);
  if (std::system(cmd.c_str()) != 0) {
  }
}

void tTempDir::write(const std::string& name, const std::string& text) const
{
  std::ofstream out(file(name), std::ios::binary);
  out << text;
}

tRunResult run_quivet(const std::vector<std::string>& args, const std::string& input,
                      const std::string& dir)
{
  tTempDir io;
  io.write("stdin", input);
  // A hang shows as status 124 instead of stopping the suite.
  std::string cmd = "cd " + shell_quote(dir.empty() ? io.path() : dir) + " && timeout 60 " + shell_quote(QV_BINARY);
  for (const std::string& a : args)
    cmd += " " + shell_quote(a);
  cmd += " <" + shell_quote(io.file("stdin")) + " >" + shell_quote(io.file("stdout")) + " 2>" +
         shell_quote(io.file("stderr"));
  tRunResult r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_text_file(io.file("stdout"));
  r.err = read_text_file(io.file("stderr"));
  return r;
}
