// libFuzzer target for the NEXUS reader and the command language: each
// input goes to a fresh document, as a file when it starts with '#' and as
// typed commands otherwise.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <unistd.h>

#include "core/message.h"
#include "document/document.h"

namespace {

std::chrono::steady_clock::time_point g_input_start;

// Warnings do not wait for anyone; a fatal error is a finding, so it aborts
// where libFuzzer can see it instead of exiting quietly. A long computation
// the input asks for (a bootstrap of a billion runs) is cancelled after a
// second, as a user would: what is looked for is a computation that cannot
// be stopped.
class tFuzzFrontEnd : public tFrontEnd {
public:
  void log(const char*) override {}
  void show_warning(const char*) override {}
  bool progress(const char*, int, int) override
  {
    return std::chrono::steady_clock::now() - g_input_start < std::chrono::seconds(1);
  }
  void show_fatal(const char* text) override
  {
    std::fprintf(stderr, "Fatal Error: %s\n", text);
    std::abort();
  }
};

// Commands that write (SAVE, PS, ...) or read (OPEN, IMPORT) must stay in
// the scratch folder, the current one: every '/' of the input becomes '_'.
void feed_untrusted_input(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text)
    if (c == '/')
      c = '_';
  // QUIT ends the process, as it should; here it would end the fuzzing.
  for (size_t i = 0; i + 4 <= text.size(); i++)
    if (strncasecmp(text.c_str() + i, "quit", 4) == 0)
      text[i] = 'x';
  tDocument doc;
  if (!text.empty() && text[0] == '#') {
    const char* name = "fuzz_input.nex";
    if (FILE* fp = std::fopen(name, "wb")) {
      std::fwrite(text.data(), 1, text.size(), fp);
      std::fclose(fp);
      doc.read_file(name);
    }
    return;
  }
  // Typed commands end at a NUL, as a C string does.
  text.resize(std::char_traits<char>::length(text.c_str()));
  doc.read_string(text.c_str());
}

tFuzzFrontEnd front_end;
char scratch[] = "/tmp/quivet-fuzz-XXXXXX";

// Empties the scratch folder, so that saved files neither pile up nor carry
// state from one input to the next.
void clean_scratch()
{
  DIR* dir = opendir(".");
  if (!dir)
    return;
  while (dirent* e = readdir(dir))
    if (e->d_name[0] != '.' || (e->d_name[1] && (e->d_name[1] != '.' || e->d_name[2])))
      unlink(e->d_name);
  closedir(dir);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  // Corpus and artifact paths given on the command line must be absolute.
  if (!mkdtemp(scratch) || chdir(scratch) != 0) {
    std::perror("quivet_fuzz: scratch folder");
    std::exit(1);
  }
  std::atexit([] {
    clean_scratch();
    rmdir(scratch);
  });
  std::fprintf(stderr, "quivet_fuzz: working in %s\n", scratch);
  if (!std::freopen("/dev/null", "r", stdin))
    std::exit(1);
  set_front_end(&front_end);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  g_input_start = std::chrono::steady_clock::now();
  feed_untrusted_input(data, size);
  clean_scratch();
  return 0;
}
